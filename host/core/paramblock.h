// The host's first-edition parameter block: the values of a layout's entries, each
// constant or animated by keys. Scene files of older plug-in versions hold them; the
// post-load upgrade (ParamBlock2PLCB) turns them into second-edition blocks.
#pragma once

#include "iparamb.h"
#include "paramblock2.h"

#include <vector>

class CoreExport ParamBlock : public IParamBlock {
public:
    using Key = ParamBlock2::Key;

    // A block of the layout's entries, every value zero; none for loading.
    ParamBlock(const ParamBlockDescID* desc, int count, DWORD version);
    ~ParamBlock() override;

    void GetClassName(MSTR& s) override { s = _M("ParamBlock"); }
    Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK_CLASS_ID, 0); }
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK_CLASS_ID; }
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    // IParamBlock
    int NumParams() override { return static_cast<int>(entries_.size()); }
    DWORD GetVersion() override { return version_; }
    ParamType GetParameterType(int i) override;
    BOOL GetValueAt(int i, TimeValue t, float& v, Interval& ivalid) override;
    BOOL GetValueAt(int i, TimeValue t, int& v, Interval& ivalid) override;
    BOOL GetValueAt(int i, TimeValue t, Color& v, Interval& ivalid) override;
    BOOL SetValueAt(int i, TimeValue t, float v) override;
    BOOL SetValueAt(int i, TimeValue t, int v) override;
    BOOL SetValueAt(int i, TimeValue t, const Color& v) override;
    BOOL IsEntryAnimatable(int i) const;

    // The value and keys of an entry, as the upgrade carries them over.
    const PB2Value* Value(int i) const;
    const std::vector<Key>& Keys(int i) const;
    BOOL SetKeys(int i, std::vector<Key> keys);

    // The second edition's interface: this block answers no parameter by id.
    BOOL GetValue(ParamID, TimeValue, float&, Interval&, int = 0) override { return FALSE; }
    BOOL GetValue(ParamID, TimeValue, int&, Interval&, int = 0) override { return FALSE; }
    BOOL GetValue(ParamID, TimeValue, Color&, Interval&, int = 0) override { return FALSE; }
    BOOL GetValue(ParamID, TimeValue, Point3&, Interval&, int = 0) override { return FALSE; }
    BOOL GetValue(ParamID, TimeValue, AColor&, Interval&, int = 0) override { return FALSE; }
    BOOL GetValue(ParamID, TimeValue, Texmap*&, Interval&, int = 0) override { return FALSE; }
    BOOL SetValue(ParamID, TimeValue, float, int = 0) override { return FALSE; }
    BOOL SetValue(ParamID, TimeValue, int, int = 0) override { return FALSE; }
    BOOL SetValue(ParamID, TimeValue, const Color&, int = 0) override { return FALSE; }
    BOOL SetValue(ParamID, TimeValue, const Point3&, int = 0) override { return FALSE; }
    BOOL SetValue(ParamID, TimeValue, const AColor&, int = 0) override { return FALSE; }
    BOOL SetValue(ParamID, TimeValue, Texmap*, int = 0) override { return FALSE; }
    float GetFloat(ParamID, TimeValue = 0, int = 0) override { return 0.0f; }
    int GetInt(ParamID, TimeValue = 0, int = 0) override { return 0; }
    Color GetColor(ParamID, TimeValue = 0, int = 0) override { return Color(0.0f, 0.0f, 0.0f); }
    AColor GetAColor(ParamID, TimeValue = 0, int = 0) override {
        return AColor(0.0f, 0.0f, 0.0f, 1.0f);
    }
    Texmap* GetTexmap(ParamID, TimeValue = 0, int = 0) override { return nullptr; }
    ParamID LastNotifyParamID() override { return -1; }
    ParamID LastNotifyParamID(int& tabIndex) override {
        tabIndex = 0;
        return -1;
    }
    ParamBlockDesc2* GetDesc() override { return nullptr; }
    BlockID ID() override { return -1; }
    ParamID IndextoID(int) override { return -1; }
    int IDtoIndex(ParamID) override { return -1; }
    ParamDef& GetParamDef(ParamID) override;
    ReferenceMaker* GetOwner() override { return nullptr; }
    void ResetAll(BOOL = TRUE, BOOL = TRUE) override {}
    BOOL IsAnimated(ParamID) override { return FALSE; }

protected:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    struct Entry {
        ParamType type;
        BOOL animatable;
        PB2Value value;
        std::vector<Key> keys;
    };
    Entry* Find(int i, ParamType type);
    PB2Value ValueAt(const Entry& e, TimeValue t, Interval& valid) const;
    BOOL Set(int i, ParamType type, TimeValue t, PB2Value v);

    std::vector<Entry> entries_;
    DWORD version_ = 0;
};

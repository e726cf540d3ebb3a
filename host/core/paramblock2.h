// The host's parameter block: the values of one object's parameters, each either
// constant or animated by keys (floats and colours interpolated linearly, integers
// and switches held until the next key).
#pragma once

#include "iparamb2.h"

#include <string>
#include <vector>

// The value of a keyed parameter at t (the constant when there are no keys), and
// the span over which it holds: the first key's value before it, the last one's
// after it; between keys interpolated (held when stepped).
struct PB2Key {
    TimeValue t;
    PB2Value v;
};
CoreExport PB2Value KeyedValueAt(const std::vector<PB2Key>& keys, const PB2Value& constant,
                                 bool stepped, TimeValue t, Interval& valid);

class CoreExport ParamBlock2 : public IParamBlock2 {
public:
    using Key = PB2Key;

    // The rules a value meets to enter a block, whether it is set, read from a file
    // or carried over from an older block: a value that is not a number or is
    // infinite, or an integer that is none of its list's choices, is refused; one
    // outside the parameter's range is clamped into it (in place). `why` says what
    // was refused or clamped.
    enum class Verdict { Kept, Clamped, Refused };
    static Verdict CheckValue(const ParamDef& def, PB2Value& v, std::string* why = nullptr);

    ParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner);
    ~ParamBlock2() override;
    // A block without a descriptor yet, made for loading: Load finds its
    // descriptor through the class of the object that owned it.
    static ParamBlock2* NewForLoading();

    // Animatable / ReferenceTarget
    void GetClassName(MSTR& s) override { s = _M("ParamBlock2"); }
    Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
    int NumRefs() override { return static_cast<int>(ownMaps_.size()); }
    RefTargetHandle GetReference(int i) override;
    RefTargetHandle Clone(RemapDir& remap) override;
    void RefAdded(RefMakerHandle rm) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    // IParamBlock2
    BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, Color& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, AColor& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, Texmap*& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, const AColor& v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, Texmap* v, int tabIndex = 0) override;
    float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0) override;
    int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0) override;
    Color GetColor(ParamID id, TimeValue t = 0, int tabIndex = 0) override;
    AColor GetAColor(ParamID id, TimeValue t = 0, int tabIndex = 0) override;
    Texmap* GetTexmap(ParamID id, TimeValue t = 0, int tabIndex = 0) override;
    ParamID LastNotifyParamID() override { return lastNotifyID_; }
    ParamID LastNotifyParamID(int& tabIndex) override {
        tabIndex = 0;
        return lastNotifyID_;
    }
    ParamBlockDesc2* GetDesc() override { return desc_; }
    BlockID ID() override { return desc_ ? desc_->ID : BlockID(-1); }
    DWORD GetVersion() override { return desc_ ? desc_->version : 0; }
    int NumParams() override { return desc_ ? desc_->Count() : 0; }
    ParamID IndextoID(int i) override { return desc_ ? desc_->IndextoID(i) : ParamID(-1); }
    int IDtoIndex(ParamID id) override { return desc_ ? desc_->IDtoIndex(id) : -1; }
    ParamDef& GetParamDef(ParamID id) override;
    ReferenceMaker* GetOwner() override { return owner_; }
    void ResetAll(BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE) override;
    BOOL IsAnimated(ParamID id) override;

    // The keys of an animated parameter (empty when it is constant), and their
    // replacement, checked as values are (FALSE, and nothing changes, when one is
    // refused).
    const std::vector<Key>& Keys(ParamID id) const;
    BOOL SetKeys(ParamID id, std::vector<Key> keys);

    // Gives a parameter the constant and keys read from a file or an older block,
    // each checked by CheckValue; a parameter that is not animatable keeps the value
    // its keys give at time 0. False when the parameter has no value of its own or a
    // value is refused (two keys at one time included): the parameter then keeps
    // what it had and `refusal` names it with the reason. A clamped value adds a note.
    bool RestoreParam(ParamID id, PB2Value value, std::vector<Key> keys, std::string* refusal,
                      std::vector<std::string>* notes);

protected:
    ParamBlock2() = default;
    void SetReference(int i, RefTargetHandle rtarg) override;
    // The owner is forgotten as soon as it no longer references the block.
    void DependentDropped(ReferenceMaker* maker) override;
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    enum class Kind { Float, Int, Color, Map, None };
    struct Param {
        PB2Value value;
        std::vector<Key> keys;
    };

    static Kind KindOf(ParamType2 type);
    const ParamDef* Find(ParamID id, int tabIndex, Kind kind, int* index);
    PB2Value ValueAt(int index, Kind kind, TimeValue t, Interval& valid) const;
    BOOL Set(ParamID id, TimeValue t, PB2Value v, Kind kind, int tabIndex);
    void Notify(ParamID id);
    int OwnMapIndex(int paramIndex) const;

    void Build();

    ParamBlockDesc2* desc_ = nullptr;
    ReferenceMaker* owner_ = nullptr;
    std::vector<Param> params_;
    std::vector<ReferenceTarget*> ownMaps_;  // maps the block itself references
    ParamID lastNotifyID_ = -1;
};

// Parameter blocks, second edition: a descriptor declares a block's parameters
// once per class (from the SDK's tagged variable-argument list); each object owns
// a block holding its values, animated or not.
#pragma once

#include "acolor.h"
#include "iparamm2.h"
#include "paramtype.h"
#include "plugapi.h"
#include "ref.h"

#include <map>
#include <string>
#include <vector>

class ClassDesc2;
class Texmap;
class IParamBlock2;

// Block flags.
#define P_CLASS_PARAMS 0x0001
#define P_AUTO_CONSTRUCT 0x0002
#define P_AUTO_UI 0x0004
#define P_USE_PARAMS 0x0008
#define P_INCLUDE_PARAMS 0x0010
#define P_MULTIMAP 0x0020
#define P_CALLSETS_ON_LOAD 0x0040
#define P_HASCATEGORY 0x0080
#define P_TEMPLATE_UI 0x0100
#define P_VERSION 0x0200

// Parameter flags.
#define P_ANIMATABLE 0x00000001
#define P_TRANSIENT 0x00000002
#define P_COMPUTED_NAME 0x00000008
#define P_RESET_DEFAULT 0x00000020
#define P_SUBANIM 0x00000040
#define P_TV_SHOW_ALL 0x00000080
#define P_NO_REF 0x00000100
#define P_OWNERS_REF 0x00000200
#define P_CAN_CONVERT 0x00000400
#define P_NO_AUTO_LABELS 0x00002000
#define P_READ_ONLY 0x00008000

// Tags of a parameter's declaration.
enum ParamTags : unsigned int {
    p_default = 0xC0000000,
    p_ms_default,
    p_range,
    p_ui,
    p_validator,
    p_accessor,
    p_vals,
    p_refno,
    p_subtexno,
    p_submtlno,
    p_dim,
    p_classID,
    p_sclassID,
    p_enabled,
    p_enable_ctrls,
    p_prompt,
    p_caption,
    p_init_file,
    p_file_types,
    p_ctrl_ids,
    p_uix,
    p_configurable_default,
    p_tooltip,
    p_assetTypeID,
    p_assetTypeName,
    p_end = p_default + 1024,
};

// Panel controls a parameter can be bound to.
enum ControlType2 {
    TYPE_SPINNER = 0,
    TYPE_RADIO = 1,
    TYPE_SINGLECHEKBOX = 2,
    TYPE_MULTICHEKBOX = 3,
    TYPE_COLORSWATCH = 4,
    TYPE_EDITBOX = 5,
    TYPE_CHECKBUTTON = 6,
    TYPE_PICKNODEBUTTON = 7,
    TYPE_TEXMAPBUTTON = 8,
    TYPE_MTLBUTTON = 9,
    TYPE_INT_COMBOBOX = 23,
};
typedef ControlType2 ControlType;

enum EditSpinnerType {
    EDITTYPE_INT = 0,
    EDITTYPE_FLOAT = 1,
    EDITTYPE_UNIVERSE = 2,
    EDITTYPE_POS_INT = 3,
    EDITTYPE_POS_FLOAT = 4,
    EDITTYPE_POS_UNIVERSE = 5,
    EDITTYPE_TIME = 6,
};

// One value of a parameter, whichever its type.
struct PB2Value {
    float f = 0.0f;
    int i = 0;
    Color c = Color(0.0f, 0.0f, 0.0f);
};

// One parameter as its declaration describes it.
class ParamDef : public MaxHeapOperators {
public:
    ParamID ID = -1;
    const MCHAR* int_name = nullptr;
    ParamType2 type = TYPE_FLOAT;
    int flags = 0;
    StringResID local_name = 0;
    PB2Value def;
    bool has_range = false;
    PB2Value range_low;
    PB2Value range_high;
    // The bound control: its type, spinner kind and scale, and control ids.
    int ctrl_type = -1;
    EditSpinnerType spin_type = EDITTYPE_FLOAT;
    float scale = 0.0f;
    std::vector<int> ctrl_IDs;
    // Combo-box items as string ids, and the values they stand for (their
    // indices unless p_vals gives others).
    std::vector<StringResID> combo_items;
    std::vector<int> combo_vals;
    StringResID tooltip = 0;
    short ref_no = -1;
    short subtexno = -1;

    bool HasControl() const { return ctrl_type >= 0; }
};

class CoreExport ParamBlockDesc2 : public MaxHeapOperators {
public:
    BlockID ID = 0;
    const MCHAR* int_name = nullptr;
    StringResID local_name = 0;
    ClassDesc2* cd = nullptr;
    USHORT flags = 0;
    DWORD version = 0;
    short ref_no = -1;
    int dlg_template = 0;
    StringResID title = 0;
    int test_flags = 0;
    int rollup_flags = 0;
    ParamMap2UserDlgProc* dlgProc = nullptr;
    int category = 0;

    // Reads the declaration: the block's head, then each parameter with its
    // tagged items up to p_end, then a closing p_end. Registers with cd.
    ParamBlockDesc2(BlockID ID, const MCHAR* int_name, StringResID local_name, ClassDesc2* cd,
                    USHORT flags, ...);
    ~ParamBlockDesc2();
    ParamBlockDesc2(const ParamBlockDesc2&) = delete;
    ParamBlockDesc2& operator=(const ParamBlockDesc2&) = delete;

    int Count() const { return static_cast<int>(paramdefs_.size()); }
    // Index of a parameter id in declaration order, or -1.
    int IDtoIndex(ParamID id) const;
    ParamID IndextoID(int i) const;
    int NameToIndex(const MCHAR* name) const;
    ParamDef& GetParamDef(ParamID id);
    const ParamDef& GetParamDefByIndex(int i) const { return paramdefs_[i]; }

    void SetClassDesc(ClassDesc2* classDesc);
    // The procedure of the panel's map: taken by maps made from now on, and given to
    // the open map of this descriptor, if any.
    void SetUserDlgProc(MapID map_id, ParamMap2UserDlgProc* proc = nullptr);
    void SetUserDlgProc(ParamMap2UserDlgProc* proc = nullptr) { SetUserDlgProc(0, proc); }
    ParamMap2UserDlgProc* GetUserDlgProc(MapID map_id = 0) const;
    void InvalidateUI(ParamID id, int tabIndex = -1);

    // Empty when the declaration was read in full; otherwise what went wrong.
    const std::string& DeclarationError() const { return error_; }

private:
    void Fail(const std::string& message);

    std::vector<ParamDef> paramdefs_;
    std::map<ParamID, int> indexOf_;
    std::string error_;
};

class CoreExport IParamBlock2 : public ReferenceTarget {
public:
    // A block holds the values of the one object that references it.
    bool HasSingleOwner() override { return true; }

    virtual BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Color& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, AColor& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Texmap*& v, Interval& ivalid,
                          int tabIndex = 0) = 0;

    virtual BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const AColor& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, Texmap* v, int tabIndex = 0) = 0;

    virtual float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual Color GetColor(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual AColor GetAColor(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual Texmap* GetTexmap(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;

    // The id of the parameter whose change is being notified, or -1.
    virtual ParamID LastNotifyParamID() = 0;
    virtual ParamID LastNotifyParamID(int& tabIndex) = 0;

    virtual ParamBlockDesc2* GetDesc() = 0;
    virtual BlockID ID() = 0;
    virtual DWORD GetVersion() = 0;
    virtual int NumParams() = 0;
    virtual ParamID IndextoID(int i) = 0;
    virtual int IDtoIndex(ParamID id) = 0;
    virtual ParamDef& GetParamDef(ParamID id) = 0;
    virtual ReferenceMaker* GetOwner() = 0;
    // Restores every parameter's default, animation included.
    virtual void ResetAll(BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE) = 0;
    // True when the parameter has animation keys.
    virtual BOOL IsAnimated(ParamID id) = 0;
};

class CoreExport ClassDesc2 : public ClassDesc {
public:
    ClassDesc2();
    ~ClassDesc2() override;

    int NumParamBlockDescs() override { return static_cast<int>(pbDescs_.size()); }
    ParamBlockDesc2* GetParamBlockDesc(int i) override;
    ParamBlockDesc2* GetParamBlockDescByID(BlockID id) override;
    ParamBlockDesc2* GetParamBlockDescByName(const MCHAR* name);
    void AddParamBlockDesc(ParamBlockDesc2* pbd) override;

    // Builds every automatically constructed block with its defaults and installs
    // it in the owner at the reference number its descriptor names.
    virtual void MakeAutoParamBlocks(ReferenceMaker* owner);
    virtual void Reset(ReferenceMaker* owner, BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE);
    virtual void BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev);
    virtual void EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next);
    virtual void SetUserDlgProc(ParamBlockDesc2* pbd, MapID map_id,
                                ParamMap2UserDlgProc* proc = nullptr);
    // The material editor's panel for obj: a parameter map, in a rollout page of imp,
    // for each block declared with P_AUTO_UI. Null when there is none.
    virtual IAutoMParamDlg* CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj);
    // The open parameter maps of the class's panels.
    int NumParamMaps() { return static_cast<int>(paramMaps_.size()); }
    IParamMap2* GetParamMap(int i) {
        return i >= 0 && i < NumParamMaps() ? paramMaps_[i] : nullptr;
    }
    IParamMap2* GetParamMap(ParamBlockDesc2* pbd, MapID id = 0);
    // Kept by the host's parameter maps while they are open.
    void AddParamMap(IParamMap2* map);
    void RemoveParamMap(IParamMap2* map);

    // Refreshes the controls showing a parameter in every open panel of the class: all
    // of them, those of one block, or those of one parameter (tabIndex -1: every entry).
    virtual void InvalidateUI();
    virtual void InvalidateUI(ParamBlockDesc2* pbd);
    virtual void InvalidateUI(ParamBlockDesc2* pbd, ParamID id, int tabIndex = -1);

    // The stand-in keeps a record of the refresh requests, so that their senders
    // can be checked.
    struct UIInvalidation {
        ParamBlockDesc2* desc;
        ParamID id;  // -1: every parameter of desc; desc null: every block
        int tabIndex;
    };
    const std::vector<UIInvalidation>& UIInvalidations() const { return invalidations_; }
    void ClearUIInvalidations() { invalidations_.clear(); }

private:
    std::vector<ParamBlockDesc2*> pbDescs_;
    std::vector<UIInvalidation> invalidations_;
    std::vector<IParamMap2*> paramMaps_;
};

// A parameter map of the block's controls in a rollout page of the material editor.
PB2Export IParamMap2* CreateMParamMap2(IParamBlock2* pb, IMtlParams* ip, HINSTANCE hInst,
                                       HWND hmedit, void* th, void* pp, MapID map_id,
                                       const MCHAR* dlgTemplate, const MCHAR* title, DWORD flags,
                                       ParamMap2UserDlgProc* dlgProc = nullptr);
PB2Export void DestroyMParamMap2(IParamMap2* m);

// Makes a block of the descriptor's parameters at their defaults, owned by owner.
PB2Export IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* owner);

// The host's animate mode: while it is on, setting an animatable parameter at a
// time makes a key there.
CoreExport BOOL Animating();
CoreExport void AnimateOn();
CoreExport void AnimateOff();

class ParamVersionDesc;

// The post-load step that brings a first-edition block, found in targ at reference
// pbRefNum, into a block of curdesc: the entries of the layout whose version matches
// the old block's are carried over by id, animation included, and the new block
// replaces the old one. The callback frees itself when done.
class PB2Export ParamBlock2PLCB : public PostLoadCallback {
public:
    ParamVersionDesc* versions;
    int count;
    ParamBlockDesc2* curdesc;
    ReferenceTarget* targ;
    int pbRefNum;

    ParamBlock2PLCB(ParamVersionDesc* v, int cnt, ParamBlockDesc2* pd, ReferenceTarget* t,
                    int refNum)
        : versions(v), count(cnt), curdesc(pd), targ(t), pbRefNum(refNum) {}
    void proc(ILoad* iload) override;
    int Priority() override { return 0; }
    void Discard() override { delete this; }
};

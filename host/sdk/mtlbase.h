// MtlBase: what materials and texture maps have in common — a name, flags, a
// G-buffer id, the per-time update and validity, and their sub-maps.
#pragma once

#include "isubmap.h"
#include "ref.h"
#include "windows.h"

// The editor panel of a material or map, as the material editor holds it.
class CoreExport ParamDlg : public InterfaceServer {
public:
    virtual Class_ID ClassID() = 0;
    virtual void SetThing(ReferenceTarget* m) = 0;
    virtual ReferenceTarget* GetThing() = 0;
    virtual void SetTime(TimeValue t) = 0;
    virtual void ReloadDialog() = 0;
    virtual void DeleteThis() = 0;
    virtual void ActivateDlg(BOOL onOff) = 0;
    virtual int FindSubTexFromHWND(HWND /*hwnd*/) { return -1; }
    virtual int FindSubMtlFromHWND(HWND /*hwnd*/) { return -1; }
};

#define ROLLUP_CAT_STANDARD 4000

// The material editor's services to the panels it shows: it holds their rollout
// pages and knows the current time.
class CoreExport IMtlParams : public InterfaceServer {
public:
    virtual void MtlChanged() = 0;
    // Adds a page made from the dialog template of hInst, its procedure receiving
    // param with WM_INITDIALOG. Returns the page's window, or null.
    virtual HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                               const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                               int category = ROLLUP_CAT_STANDARD) = 0;
    virtual void DeleteRollupPage(HWND hRollup) = 0;
    virtual TimeValue GetTime() = 0;
};

// Requirement bits a material reports to the renderer.
#define MTLREQ_2SIDE (1 << 0)
#define MTLREQ_WIRE (1 << 1)
#define MTLREQ_WIRE_ABS (1 << 2)
#define MTLREQ_TRANSP (1 << 3)
#define MTLREQ_UV (1 << 4)
#define MTLREQ_FACEMAP (1 << 5)
#define MTLREQ_XYZ (1 << 6)
#define MTLREQ_OXYZ (1 << 7)
#define MTLREQ_BUMPUV (1 << 8)
#define MTLREQ_BGCOL (1 << 9)
#define MTLREQ_PHONG (1 << 10)
#define MTLREQ_AUTOREFLECT (1 << 11)
#define MTLREQ_AUTOMIRROR (1 << 12)
#define MTLREQ_NOATMOS (1 << 13)
#define MTLREQ_ADDITIVE_TRANSP (1 << 14)
#define MTLREQ_VIEW_DEP (1 << 15)
#define MTLREQ_UV2 (1 << 16)
#define MTLREQ_BUMPUV2 (1 << 17)
#define MTLREQ_PREPRO (1 << 18)
#define MTLREQ_DONTMERGE_FRAGMENTS (1 << 19)
#define MTLREQ_DISPLACEMAP (1 << 20)
#define MTLREQ_SUPERSAMPLE (1 << 21)
#define MTLREQ_WORLDCOORDS (1 << 22)
#define MTLREQ_TRANSP_IN_VP (1 << 23)
#define MTLREQ_FACETED (1 << 24)
#define MTLREQ_NOEXPOSURE (1 << 25)
#define MTLREQ_SS_GLOBAL (1 << 26)

class CoreExport MtlBase : public ReferenceTarget, public ISubMap {
public:
    ULONG gbufID = 0;

    MtlBase();
    ~MtlBase() override;

    // Copies the common part (name, flags, G-buffer id); references are not copied.
    MtlBase& operator=(const MtlBase& m);

    MSTR& GetName() { return name_; }
    void SetName(MSTR s);
    virtual MSTR GetFullName();

    void SetMtlFlag(int mask, BOOL val = TRUE);
    void ClearMtlFlag(int mask);
    int TestMtlFlag(int mask) const;
    ULONG GetMtlFlags() const { return mtlFlags_; }

    ULONG GetGBufID() const { return gbufID; }
    void SetGBufID(ULONG id) { gbufID = id; }

    // Own requirements combined with those of every sub-map.
    virtual ULONG Requirements(int subMtlNum);
    virtual ULONG LocalRequirements(int /*subMtlNum*/) { return 0; }

    virtual void Update(TimeValue t, Interval& valid) = 0;
    virtual void Reset() = 0;
    virtual Interval Validity(TimeValue t) = 0;
    virtual ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) = 0;

    void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) override;

    // The common header of materials and maps (name, flags, G-buffer id), written and
    // read inside a chunk that the material or map opens itself.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    int MapSlotType(int /*i*/) override { return MAPSLOT_TEXTURE; }
    ReferenceTarget* GetRefTarget() override { return this; }

    // A hint to renderers and viewports that the material may be transparent.
    virtual BOOL GetTransparencyHint(TimeValue /*t*/, Interval& /*valid*/) { return TRUE; }

private:
    MSTR name_;
    ULONG mtlFlags_ = 0;
};

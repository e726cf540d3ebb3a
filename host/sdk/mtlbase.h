// MtlBase: what materials and texture maps have in common — a name, flags, a
// G-buffer id, the per-time update and validity, and their sub-maps.
#pragma once

#include "isubmap.h"
#include "ref.h"

class IMtlParams;

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

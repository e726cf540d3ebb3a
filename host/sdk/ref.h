// The reference system: makers hold references to targets; a target knows its
// dependents and tells them of its changes; a target that loses its last
// dependent is deleted.
#pragma once

#include "animtbl.h"
#include "interval.h"
#include "ioapi.h"

#include <vector>

class ReferenceMaker;
class ReferenceTarget;
class RemapDir;

typedef ReferenceTarget* RefTargetHandle;
typedef ReferenceMaker* RefMakerHandle;
typedef ULONG_PTR PartID;
typedef unsigned int RefMessage;

enum RefResult {
    REF_FAIL = 0,
    REF_HALT = 0,
    REF_SUCCEED,
    REF_DONTCARE,
    REF_STOP,
    REF_INVALID,
};

enum NotifyDependentsOption {
    REFNOTIFY_ALLOW_OPTIMIZATIONS = 0,
    REFNOTIFY_DISALLOW_OPTIMIZATIONS,
};

// Reference messages.
#define REFMSG_LOOPTEST 0x00000010
#define REFMSG_TARGET_DELETED 0x00000020
#define REFMSG_CHANGE 0x00000050
#define REFMSG_SUBANIM_STRUCTURE_CHANGED 0x00000102
#define REFMSG_DISPLAY_MATERIAL_CHANGE 0x00000275
#define REFMSG_USER 0x00010000

// Parts of an object that a change may concern.
#define PART_TOPO (1 << 0)
#define PART_GEOM (1 << 1)
#define PART_TEXMAP (1 << 2)
#define PART_MTL (1 << 3)
#define PART_SELECT (1 << 4)
#define PART_SUBSEL_TYPE (1 << 5)
#define PART_DISPLAY (1 << 6)
#define PART_VERTCOLOR (1 << 7)
#define PART_GFX_DATA (1 << 8)
#define PART_DISP_APPROX (1 << 9)
#define PART_TM_CHAN (1 << 10)
#define PART_OBJECT_TYPE (1 << 11)
#define PART_TM (1 << 12)
#define PART_EXTENSION (1 << 13)
#define PART_GLOBMTL (1u << 31)
#define ALL_CHANNELS                                                                   \
    (PART_TOPO | PART_GEOM | PART_TEXMAP | PART_MTL | PART_SELECT | PART_SUBSEL_TYPE | \
     PART_DISPLAY | PART_VERTCOLOR | PART_GFX_DATA | PART_DISP_APPROX | PART_TM_CHAN | \
     PART_EXTENSION | PART_GLOBMTL)
#define PART_ALL (ALL_CHANNELS | PART_TM)

#define NOTIFY_ALL 0xfffffff0

class CoreExport ReferenceMaker : public Animatable {
    friend class ReferenceTarget;
    // The scene loader restores references as they were saved.
    friend class SceneLoader;

public:
    ReferenceMaker();
    ~ReferenceMaker() override;

    virtual int NumRefs() { return 0; }
    virtual RefTargetHandle GetReference(int i);

    // Makes reference `which` point at `newtarg`: the maker becomes a dependent of
    // the new target and stops being one of the old target, which is deleted when
    // delOld is set and it has no dependent left. Refuses a reference that would
    // close a loop.
    RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
    // Drops reference i; the target is deleted if that was its last dependent.
    RefResult DeleteReference(int i);
    RefResult DeleteAllRefsFromMe();
    // Drops every reference to and from this object, then deletes it.
    virtual RefResult DeleteMe();

    virtual IOResult Save(ISave* isave);
    virtual IOResult Load(ILoad* iload);

    virtual BOOL IsRefTarget() { return FALSE; }
    virtual BOOL IsRefMaker() { return TRUE; }

    // True when this maker reaches `target` through its references.
    bool HasDependencyOn(ReferenceTarget* target);

protected:
    virtual void SetReference(int i, RefTargetHandle rtarg);
    virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget,
                                       PartID& partID, RefMessage message, BOOL propagate) = 0;

private:
    void Attach(ReferenceTarget* target);
    void Detach(ReferenceTarget* target);

    std::vector<ReferenceTarget*> targets_;  // one entry per reference held
};

class CoreExport ReferenceTarget : public ReferenceMaker {
    friend class ReferenceMaker;

public:
    ReferenceTarget();
    ~ReferenceTarget() override;

    BOOL IsRefTarget() override { return TRUE; }

    // Sends a message to every dependent (one call per dependent object), and on
    // to theirs while propagate is set and a dependent does not answer REF_STOP.
    virtual RefResult NotifyDependents(
        const Interval& changeInt, PartID partID, RefMessage message, SClass_ID sclass = NOTIFY_ALL,
        BOOL propagate = TRUE, RefTargetHandle hTarg = nullptr,
        NotifyDependentsOption notifyDependentsOption = REFNOTIFY_ALLOW_OPTIMIZATIONS);

    virtual RefTargetHandle Clone(RemapDir& remap);
    virtual void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

    // Called after a maker has made a reference to this target, and after one was
    // removed.
    virtual void RefAdded(RefMakerHandle rm);
    virtual void RefDeleted();

    RefResult DeleteMe() override;
    // Deletes the target when nothing references it any more.
    void MaybeAutoDelete();

    // The makers that reference this target, each once.
    const std::vector<ReferenceMaker*>& Dependents() const { return dependents_; }
    int NumDependents() const { return static_cast<int>(dependents_.size()); }

private:
    void AddDependent(ReferenceMaker* maker);
    void RemoveDependent(ReferenceMaker* maker);
    bool IsDependent(ReferenceMaker* maker) const;
    void ClearDependentsReferences();

    bool deleting_ = false;
    std::vector<ReferenceMaker*> dependents_;
    std::vector<int> refCounts_;  // references each dependent holds to this target
};

// Records, during one cloning operation, which clone stands for which original,
// so that a target referenced twice is cloned once.
class CoreExport RemapDir : public InterfaceServer {
public:
    virtual RefTargetHandle GetPtr(RefTargetHandle oldTarg) = 0;
    virtual RefTargetHandle CloneRef(RefTargetHandle oldTarg);
    virtual RefTargetHandle FindMapping(RefTargetHandle from) = 0;
    virtual void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) = 0;
    virtual void DeleteThis() = 0;
};

CoreExport RemapDir* NewRemapDir(BOOL use_A_WORK2_flag = FALSE);
// Clones a target and everything it references, sharing preserved.
CoreExport RefTargetHandle CloneRefHierarchy(RefTargetHandle rm);

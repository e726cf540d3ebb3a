// The reference system: makers hold references to targets; a target knows its
// dependents and tells them of its changes; a target that loses its last
// dependent is deleted.
#pragma once

#include "animtbl.h"
#include "interval.h"
#include "ioapi.h"

#include <cstddef>
#include <memory>
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

    // False for a maker that only keeps targets alive for a while (the scene
    // loader's holder): it never counts as the owner of what it references.
    virtual bool CountsAsOwner() { return true; }

protected:
    virtual void SetReference(int i, RefTargetHandle rtarg);
    virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget,
                                       PartID& partID, RefMessage message, BOOL propagate) = 0;

private:
    void Attach(ReferenceTarget* target);
    void Detach(ReferenceTarget* target);

    std::vector<ReferenceTarget*> targets_;  // one entry per reference held
};

// The makers that reference one target, each with the number of references it
// holds, in the order they were added. Adding, finding and removing a maker take
// constant time on average, however many makers share the target: a long list keeps
// an index by maker, and a removed maker leaves a gap that is closed once the gaps
// outnumber the makers left.
class CoreExport DependentList {
public:
    DependentList();
    ~DependentList();
    DependentList(const DependentList&) = delete;
    DependentList& operator=(const DependentList&) = delete;

    // Counts one more reference from maker.
    void Add(ReferenceMaker* maker);
    // Counts one reference less; true when maker no longer references the target.
    bool Remove(ReferenceMaker* maker);
    // Forgets maker, whatever the number of its references.
    void Erase(ReferenceMaker* maker);
    bool Contains(ReferenceMaker* maker) const;
    int Count() const { return live_; }
    // The makers, in the order they were added.
    std::vector<ReferenceMaker*> Makers() const;
    // The maker added last, or null.
    ReferenceMaker* Last() const;

private:
    struct Entry {
        ReferenceMaker* maker;  // null: removed
        int refs;
    };
    struct Index;
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
    std::size_t Find(ReferenceMaker* maker) const;
    void Drop(std::size_t i);
    void Compact();

    std::vector<Entry> entries_;
    std::unique_ptr<Index> index_;  // only while the list is long
    int live_ = 0;
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

    // The makers that reference this target, each once, in the order they first did.
    std::vector<ReferenceMaker*> Dependents() const { return dependents_.Makers(); }
    int NumDependents() const { return dependents_.Count(); }

    // True for a target that belongs to the one maker referencing it, as a parameter
    // block belongs to its object: a second maker's reference to it is refused, and
    // so is a scene file that holds one.
    virtual bool HasSingleOwner() { return false; }
    // A maker other than `maker` that references this target and counts as an owner,
    // or null.
    ReferenceMaker* OwnerOtherThan(ReferenceMaker* maker);

protected:
    bool IsDependent(ReferenceMaker* maker) const { return dependents_.Contains(maker); }
    // Called when `maker` stops referencing this target: it dropped its last
    // reference to it, or was destroyed (only its address may then be used).
    virtual void DependentDropped(ReferenceMaker* maker);

private:
    void AddDependent(ReferenceMaker* maker);
    void RemoveDependent(ReferenceMaker* maker);
    void ClearDependentsReferences();

    bool deleting_ = false;
    DependentList dependents_;
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

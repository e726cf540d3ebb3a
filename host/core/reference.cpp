// The reference graph. Each target keeps its dependents with the number of
// references each holds to it; each maker keeps the targets it references, so
// that destroying either side never leaves the other pointing at freed memory.
#include "ref.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

// --- ReferenceMaker ---------------------------------------------------------

ReferenceMaker::ReferenceMaker() = default;

ReferenceMaker::~ReferenceMaker() {
    // A maker destroyed without dropping its references (deleted directly rather
    // than through DeleteMe) still lets go of its targets.
    std::vector<ReferenceTarget*> targets;
    targets.swap(targets_);
    for (ReferenceTarget* t : targets) t->RemoveDependent(this);
    // Only targets left without dependents now are deleted, each once: deleting one
    // of them can delete what it references, but never another of them.
    std::vector<ReferenceTarget*> orphans;
    for (ReferenceTarget* t : targets) {
        if (t->NumDependents() == 0 && !t->deleting_ &&
            std::find(orphans.begin(), orphans.end(), t) == orphans.end())
            orphans.push_back(t);
    }
    for (ReferenceTarget* t : orphans) t->MaybeAutoDelete();
}

RefTargetHandle ReferenceMaker::GetReference(int) { return nullptr; }
void ReferenceMaker::SetReference(int, RefTargetHandle) {}
IOResult ReferenceMaker::Save(ISave*) { return IO_OK; }
IOResult ReferenceMaker::Load(ILoad*) { return IO_OK; }

bool ReferenceMaker::HasDependencyOn(ReferenceTarget* target) {
    std::vector<ReferenceMaker*> pending{this};
    std::unordered_set<ReferenceMaker*> seen{this};
    while (!pending.empty()) {
        ReferenceMaker* m = pending.back();
        pending.pop_back();
        for (ReferenceTarget* t : m->targets_) {
            if (t == target) return true;
            if (seen.insert(t).second) pending.push_back(t);
        }
    }
    return false;
}

void ReferenceMaker::Attach(ReferenceTarget* target) {
    targets_.push_back(target);
    target->AddDependent(this);
}

void ReferenceMaker::Detach(ReferenceTarget* target) {
    // Searched from the end: a maker holding many references (the scene loader's)
    // releases them last first.
    auto it = std::find(targets_.rbegin(), targets_.rend(), target);
    if (it == targets_.rend()) return;
    targets_.erase(std::next(it).base());
    target->RemoveDependent(this);
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld) {
    if (which < 0 || which >= NumRefs()) return REF_FAIL;
    ReferenceTarget* old = GetReference(which);
    if (old == newtarg) return REF_SUCCEED;
    if (newtarg) {
        // A reference from this maker to a target that already depends on it
        // would close a loop, and notifications would never end.
        if (IsRefTarget() &&
            (newtarg == this || newtarg->HasDependencyOn(static_cast<ReferenceTarget*>(this)))) {
            return REF_FAIL;
        }
        Attach(newtarg);
    }
    SetReference(which, newtarg);
    if (newtarg) newtarg->RefAdded(this);
    if (old) {
        Detach(old);
        old->RefDeleted();
        if (delOld) old->MaybeAutoDelete();
    }
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteReference(int i) {
    if (i < 0 || i >= NumRefs()) return REF_FAIL;
    ReferenceTarget* t = GetReference(i);
    SetReference(i, nullptr);
    if (t) {
        Detach(t);
        t->RefDeleted();
        t->MaybeAutoDelete();
    }
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteAllRefsFromMe() {
    for (int i = 0; i < NumRefs(); ++i) {
        if (GetReference(i)) DeleteReference(i);
    }
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteMe() {
    DeleteAllRefsFromMe();
    DeleteThis();
    return REF_SUCCEED;
}

// --- ReferenceTarget --------------------------------------------------------

ReferenceTarget::ReferenceTarget() = default;

ReferenceTarget::~ReferenceTarget() {
    // Deleted while still referenced: the makers' references are cleared so that
    // none of them is left holding a dangling pointer.
    deleting_ = true;
    ClearDependentsReferences();
}

void ReferenceTarget::ClearDependentsReferences() {
    while (!dependents_.empty()) {
        ReferenceMaker* m = dependents_.back();
        for (int i = 0; i < m->NumRefs(); ++i) {
            if (m->GetReference(i) == this) m->SetReference(i, nullptr);
        }
        // Whatever SetReference did, the maker no longer holds this target.
        m->targets_.erase(std::remove(m->targets_.begin(), m->targets_.end(), this),
                          m->targets_.end());
        auto it = std::find(dependents_.begin(), dependents_.end(), m);
        if (it != dependents_.end()) {
            refCounts_.erase(refCounts_.begin() + (it - dependents_.begin()));
            dependents_.erase(it);
        }
    }
}

void ReferenceTarget::AddDependent(ReferenceMaker* maker) {
    auto it = std::find(dependents_.begin(), dependents_.end(), maker);
    if (it != dependents_.end()) {
        ++refCounts_[it - dependents_.begin()];
        return;
    }
    dependents_.push_back(maker);
    refCounts_.push_back(1);
}

void ReferenceTarget::RemoveDependent(ReferenceMaker* maker) {
    auto it = std::find(dependents_.begin(), dependents_.end(), maker);
    if (it == dependents_.end()) return;
    const auto index = it - dependents_.begin();
    if (--refCounts_[index] == 0) {
        dependents_.erase(it);
        refCounts_.erase(refCounts_.begin() + index);
    }
}

bool ReferenceTarget::IsDependent(ReferenceMaker* maker) const {
    return std::find(dependents_.begin(), dependents_.end(), maker) != dependents_.end();
}

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID,
                                            RefMessage message, SClass_ID sclass, BOOL propagate,
                                            RefTargetHandle hTarg, NotifyDependentsOption option) {
    ReferenceTarget* source = hTarg ? hTarg : this;
    // A dependent may drop its reference while it handles the message.
    const std::vector<ReferenceMaker*> dependents = dependents_;
    for (ReferenceMaker* m : dependents) {
        if (!IsDependent(m)) continue;
        if (sclass != NOTIFY_ALL && m->SuperClassID() != sclass) continue;
        PartID part = partID;
        const RefResult r = m->NotifyRefChanged(changeInt, source, part, message, propagate);
        if (r == REF_STOP || !propagate || !m->IsRefTarget()) continue;
        static_cast<ReferenceTarget*>(m)->NotifyDependents(changeInt, part, message, sclass,
                                                           propagate, nullptr, option);
    }
    return REF_SUCCEED;
}

RefTargetHandle ReferenceTarget::Clone(RemapDir&) { return nullptr; }
void ReferenceTarget::BaseClone(ReferenceTarget*, ReferenceTarget*, RemapDir&) {}
void ReferenceTarget::RefAdded(RefMakerHandle) {}
void ReferenceTarget::RefDeleted() {}

RefResult ReferenceTarget::DeleteMe() {
    deleting_ = true;
    NotifyDependents(FOREVER, PART_ALL, REFMSG_TARGET_DELETED);
    ClearDependentsReferences();
    DeleteAllRefsFromMe();
    DeleteThis();
    return REF_SUCCEED;
}

void ReferenceTarget::MaybeAutoDelete() {
    if (deleting_ || !dependents_.empty()) return;
    deleting_ = true;
    DeleteAllRefsFromMe();
    DeleteThis();
}

// --- RemapDir ---------------------------------------------------------------

RefTargetHandle RemapDir::CloneRef(RefTargetHandle oldTarg) {
    if (!oldTarg) return nullptr;
    if (RefTargetHandle existing = FindMapping(oldTarg)) return existing;
    RefTargetHandle clone = oldTarg->Clone(*this);
    if (clone) AddEntry(oldTarg, clone);
    return clone;
}

namespace {

class DefaultRemapDir : public RemapDir {
public:
    RefTargetHandle GetPtr(RefTargetHandle oldTarg) override {
        RefTargetHandle mapped = FindMapping(oldTarg);
        return mapped ? mapped : oldTarg;
    }
    RefTargetHandle FindMapping(RefTargetHandle from) override {
        auto it = map_.find(from);
        return it == map_.end() ? nullptr : it->second;
    }
    void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) override { map_[hfrom] = hto; }
    void DeleteThis() override { delete this; }

private:
    std::unordered_map<RefTargetHandle, RefTargetHandle> map_;
};

}  // namespace

RemapDir* NewRemapDir(BOOL) { return new DefaultRemapDir(); }

RefTargetHandle CloneRefHierarchy(RefTargetHandle rm) {
    RemapDir* remap = NewRemapDir();
    RefTargetHandle clone = remap->CloneRef(rm);
    remap->DeleteThis();
    return clone;
}

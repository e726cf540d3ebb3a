// The reference graph. Each target keeps its dependents with the number of
// references each holds to it; each maker keeps the targets it references, so
// that destroying either side never leaves the other pointing at freed memory.
#include "ref.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

// --- DependentList -----------------------------------------------------------

struct DependentList::Index {
    std::unordered_map<ReferenceMaker*, std::size_t> at;
};

namespace {
// Up to this many entries a list is searched; a longer one keeps an index.
constexpr std::size_t kSearchedEntries = 8;
}  // namespace

DependentList::DependentList() = default;
DependentList::~DependentList() = default;

std::size_t DependentList::Find(ReferenceMaker* maker) const {
    if (!maker) return kNotFound;
    if (index_) {
        auto it = index_->at.find(maker);
        return it == index_->at.end() ? kNotFound : it->second;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].maker == maker) return i;
    }
    return kNotFound;
}

void DependentList::Add(ReferenceMaker* maker) {
    if (!maker) return;
    const std::size_t i = Find(maker);
    if (i != kNotFound) {
        ++entries_[i].refs;
        return;
    }
    entries_.push_back({maker, 1});
    ++live_;
    if (index_)
        index_->at.emplace(maker, entries_.size() - 1);
    else if (entries_.size() > kSearchedEntries)
        Compact();
}

bool DependentList::Remove(ReferenceMaker* maker) {
    const std::size_t i = Find(maker);
    if (i == kNotFound || --entries_[i].refs > 0) return false;
    Drop(i);
    return true;
}

void DependentList::Erase(ReferenceMaker* maker) {
    const std::size_t i = Find(maker);
    if (i != kNotFound) Drop(i);
}

bool DependentList::Contains(ReferenceMaker* maker) const { return Find(maker) != kNotFound; }

std::vector<ReferenceMaker*> DependentList::Makers() const {
    std::vector<ReferenceMaker*> makers;
    makers.reserve(static_cast<std::size_t>(live_));
    for (const Entry& e : entries_) {
        if (e.maker) makers.push_back(e.maker);
    }
    return makers;
}

// The list never ends in a gap, so the last maker is the last entry.
ReferenceMaker* DependentList::Last() const {
    return entries_.empty() ? nullptr : entries_.back().maker;
}

// A gap at the end goes at once (no other entry moves); one inside waits until the
// gaps outnumber the makers, so that each removal costs constant time on average.
void DependentList::Drop(std::size_t i) {
    if (index_) index_->at.erase(entries_[i].maker);
    entries_[i].maker = nullptr;
    --live_;
    while (!entries_.empty() && !entries_.back().maker) entries_.pop_back();
    if (entries_.size() - static_cast<std::size_t>(live_) > static_cast<std::size_t>(live_))
        Compact();
}

// Closes the gaps, keeping the order, and indexes a long list anew.
void DependentList::Compact() {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [](const Entry& e) { return e.maker == nullptr; }),
                   entries_.end());
    if (entries_.size() <= kSearchedEntries) {
        index_.reset();
        return;
    }
    if (!index_) index_ = std::make_unique<Index>();
    index_->at.clear();
    index_->at.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) index_->at.emplace(entries_[i].maker, i);
}

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
    std::unordered_set<ReferenceTarget*> seen;
    for (ReferenceTarget* t : targets) {
        if (t->NumDependents() == 0 && !t->deleting_ && seen.insert(t).second) orphans.push_back(t);
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
        // Two owners of a parameter block would each take it for theirs alone.
        if (CountsAsOwner() && newtarg->HasSingleOwner() && newtarg->OwnerOtherThan(this))
            return REF_FAIL;
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

// Each maker's own references are searched, so that the cost grows with the
// references its makers hold, not with the square of their number.
void ReferenceTarget::ClearDependentsReferences() {
    while (ReferenceMaker* m = dependents_.Last()) {
        for (int i = 0; i < m->NumRefs(); ++i) {
            if (m->GetReference(i) == this) m->SetReference(i, nullptr);
        }
        // Whatever SetReference did, the maker no longer holds this target.
        m->targets_.erase(std::remove(m->targets_.begin(), m->targets_.end(), this),
                          m->targets_.end());
        dependents_.Erase(m);
        DependentDropped(m);
    }
}

void ReferenceTarget::AddDependent(ReferenceMaker* maker) { dependents_.Add(maker); }

void ReferenceTarget::RemoveDependent(ReferenceMaker* maker) {
    if (dependents_.Remove(maker)) DependentDropped(maker);
}

void ReferenceTarget::DependentDropped(ReferenceMaker*) {}

ReferenceMaker* ReferenceTarget::OwnerOtherThan(ReferenceMaker* maker) {
    for (ReferenceMaker* m : dependents_.Makers()) {
        if (m != maker && m->CountsAsOwner()) return m;
    }
    return nullptr;
}

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID,
                                            RefMessage message, SClass_ID sclass, BOOL propagate,
                                            RefTargetHandle hTarg, NotifyDependentsOption option) {
    ReferenceTarget* source = hTarg ? hTarg : this;
    // A dependent may drop its reference while it handles the message.
    const std::vector<ReferenceMaker*> dependents = dependents_.Makers();
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
    if (deleting_ || dependents_.Count() != 0) return;
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

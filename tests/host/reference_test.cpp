// The reference graph: dependents, notifications, automatic deletion and cloning.
#include "ref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// A node of a test graph: it references up to three targets, records the messages
// it receives and reports its deletion.
class Node : public ReferenceTarget {
public:
    explicit Node(std::vector<std::string>* log, std::string name = "")
        : log_(log), name_(std::move(name)) {}
    ~Node() override {
        if (log_) log_->push_back("deleted " + name_);
    }

    SClass_ID SuperClassID() override { return 0x1234; }
    bool HasSingleOwner() override { return singleOwner; }
    bool CountsAsOwner() override { return countsAsOwner; }
    int NumRefs() override { return 3; }
    RefTargetHandle GetReference(int i) override { return refs_[i]; }
    RefTargetHandle Clone(RemapDir& remap) override {
        auto* clone = new Node(log_, name_ + "'");
        for (int i = 0; i < 3; ++i) {
            if (refs_[i]) clone->ReplaceReference(i, remap.CloneRef(refs_[i]));
        }
        BaseClone(this, clone, remap);
        return clone;
    }

    bool singleOwner = false;
    bool countsAsOwner = true;
    int setReferenceCalls = 0;
    std::vector<RefMessage> messages;
    std::vector<RefTargetHandle> senders;
    RefResult answer = REF_SUCCEED;

protected:
    void SetReference(int i, RefTargetHandle t) override {
        ++setReferenceCalls;
        refs_[i] = t;
    }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&,
                               RefMessage message, BOOL) override {
        messages.push_back(message);
        senders.push_back(hTarget);
        return answer;
    }

private:
    std::vector<std::string>* log_;
    std::string name_;
    RefTargetHandle refs_[3] = {};
};

class ReferenceGraph : public ::testing::Test {
protected:
    std::vector<std::string> log;
    Node* MakeNode(const std::string& name) { return new Node(&log, name); }
};

}  // namespace

TEST_F(ReferenceGraph, ReplaceReferenceSetsTheReferenceAndRegistersTheDependent) {
    Node* maker = MakeNode("maker");
    Node* target = MakeNode("target");
    EXPECT_EQ(maker->ReplaceReference(0, target), REF_SUCCEED);
    EXPECT_EQ(maker->setReferenceCalls, 1);
    EXPECT_EQ(maker->GetReference(0), target);
    ASSERT_EQ(target->NumDependents(), 1);
    EXPECT_EQ(target->Dependents()[0], maker);
    EXPECT_EQ(maker->ReplaceReference(5, target), REF_FAIL);  // no such reference
    maker->DeleteMe();
    EXPECT_EQ(log, (std::vector<std::string>{"deleted target", "deleted maker"}));
}

TEST_F(ReferenceGraph, NotificationsReachEveryDependentAndPropagate) {
    Node* top = MakeNode("top");
    Node* middle = MakeNode("middle");
    Node* other = MakeNode("other");
    Node* leaf = MakeNode("leaf");
    top->ReplaceReference(0, middle);
    middle->ReplaceReference(0, leaf);
    other->ReplaceReference(1, leaf);

    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(middle->messages, std::vector<RefMessage>{REFMSG_CHANGE});
    EXPECT_EQ(other->messages, std::vector<RefMessage>{REFMSG_CHANGE});
    ASSERT_EQ(top->messages.size(), 1u);  // propagated through middle
    EXPECT_EQ(top->senders[0], middle);

    // Without propagation, or when a dependent answers REF_STOP, it goes no further.
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_USER, NOTIFY_ALL, FALSE);
    EXPECT_EQ(top->messages.size(), 1u);
    middle->answer = REF_STOP;
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(top->messages.size(), 1u);
    EXPECT_EQ(middle->messages.size(), 3u);

    top->DeleteMe();
    other->DeleteMe();
}

TEST_F(ReferenceGraph, ATargetIsDeletedWhenItLosesItsLastReference) {
    Node* a = MakeNode("a");
    Node* b = MakeNode("b");
    Node* shared = MakeNode("shared");
    a->ReplaceReference(0, shared);
    b->ReplaceReference(0, shared);
    a->ReplaceReference(1, shared);  // a second reference from the same maker

    a->DeleteReference(0);
    b->DeleteReference(0);
    EXPECT_TRUE(log.empty());  // a still holds it through reference 1
    a->DeleteReference(1);
    EXPECT_EQ(log, std::vector<std::string>{"deleted shared"});

    Node* first = MakeNode("first");
    a->ReplaceReference(2, first);
    Node* second = MakeNode("second");
    a->ReplaceReference(2, second);  // replacing drops the old target
    EXPECT_EQ(log.back(), "deleted first");
    a->ReplaceReference(2, MakeNode("third"), FALSE);  // unless told to keep it
    EXPECT_EQ(log.back(), "deleted first");
    second->DeleteMe();
    a->DeleteMe();
    b->DeleteMe();
}

TEST_F(ReferenceGraph, ALoopIsRefused) {
    Node* a = MakeNode("a");
    Node* b = MakeNode("b");
    Node* c = MakeNode("c");
    a->ReplaceReference(0, b);
    b->ReplaceReference(0, c);
    EXPECT_EQ(c->ReplaceReference(0, a), REF_FAIL);
    EXPECT_EQ(c->ReplaceReference(0, c), REF_FAIL);
    EXPECT_EQ(c->GetReference(0), nullptr);
    a->DeleteMe();
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(ReferenceGraph, DeletingATargetClearsItsMakersReferences) {
    Node* maker = MakeNode("maker");
    Node* target = MakeNode("target");
    maker->ReplaceReference(0, target);
    maker->ReplaceReference(2, target);
    target->DeleteMe();
    EXPECT_EQ(maker->GetReference(0), nullptr);
    EXPECT_EQ(maker->GetReference(2), nullptr);
    EXPECT_EQ(maker->messages, std::vector<RefMessage>{REFMSG_TARGET_DELETED});

    // Plain destruction of either side leaves the other consistent too.
    Node* held = MakeNode("held");
    maker->ReplaceReference(1, held);
    delete held;
    EXPECT_EQ(maker->GetReference(1), nullptr);
    Node* orphan = MakeNode("orphan");
    maker->ReplaceReference(1, orphan);
    delete maker;
    EXPECT_EQ(log.back(), "deleted orphan");
}

TEST_F(ReferenceGraph, CloningKeepsSharedTargetsShared) {
    Node* root = MakeNode("root");
    Node* left = MakeNode("left");
    Node* right = MakeNode("right");
    Node* shared = MakeNode("shared");
    root->ReplaceReference(0, left);
    root->ReplaceReference(1, right);
    left->ReplaceReference(0, shared);
    right->ReplaceReference(0, shared);

    auto* clone = static_cast<Node*>(CloneRefHierarchy(root));
    ASSERT_NE(clone, nullptr);
    auto* cloneLeft = static_cast<Node*>(clone->GetReference(0));
    auto* cloneRight = static_cast<Node*>(clone->GetReference(1));
    ASSERT_NE(cloneLeft, left);
    ASSERT_NE(cloneLeft->GetReference(0), shared);
    EXPECT_EQ(cloneLeft->GetReference(0), cloneRight->GetReference(0));

    // A separate remap clones again.
    auto* second = static_cast<Node*>(CloneRefHierarchy(root));
    EXPECT_NE(second->GetReference(0), clone->GetReference(0));
    RemapDir* remap = NewRemapDir();
    EXPECT_EQ(remap->CloneRef(nullptr), nullptr);
    remap->DeleteThis();

    root->DeleteMe();
    clone->DeleteMe();
    second->DeleteMe();
    EXPECT_EQ(log.size(), 12u);
}

TEST_F(ReferenceGraph, ATargetOfOneOwnerIsNotShared) {
    Node* owner = MakeNode("owner");
    Node* other = MakeNode("other");
    Node* holder = MakeNode("holder");
    holder->countsAsOwner = false;  // keeps it alive only, as the scene loader does
    Node* owned = MakeNode("owned");
    owned->singleOwner = true;
    holder->ReplaceReference(0, owned);
    EXPECT_EQ(owner->ReplaceReference(0, owned), REF_SUCCEED);
    EXPECT_EQ(owner->ReplaceReference(1, owned), REF_SUCCEED);  // the owner twice
    EXPECT_EQ(other->ReplaceReference(0, owned), REF_FAIL);
    EXPECT_EQ(other->GetReference(0), nullptr);
    // Once the owner lets it go, another maker may own it.
    owner->DeleteReference(0);
    owner->DeleteReference(1);
    EXPECT_EQ(other->ReplaceReference(0, owned), REF_SUCCEED);
    owner->DeleteMe();
    other->DeleteMe();
    holder->DeleteMe();
    EXPECT_EQ(log.size(), 4u);
}

// The list of a target's dependents against a plain list, through a long run of
// additions and removals that grows it past its index and thins it out again.
TEST_F(ReferenceGraph, DependentListKeepsTheOrderOfAPlainList) {
    std::vector<Node*> makers;
    for (int i = 0; i < 64; ++i) makers.push_back(MakeNode(std::to_string(i)));
    DependentList list;
    std::vector<std::pair<ReferenceMaker*, int>> plain;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        // Phases that favour adding, then removing, so that the length swings widely.
        const bool adding = (step / 2000) % 2 == 0 ? random() % 4 != 0 : random() % 4 == 0;
        ReferenceMaker* m = makers[random() % (step % 3000 < 1500 ? 64 : 12)];
        auto it =
            std::find_if(plain.begin(), plain.end(), [m](const auto& e) { return e.first == m; });
        if (adding) {
            list.Add(m);
            if (it == plain.end())
                plain.emplace_back(m, 1);
            else
                ++it->second;
        } else if (random() % 8 == 0) {
            list.Erase(m);
            if (it != plain.end()) plain.erase(it);
        } else {
            const bool gone = list.Remove(m);
            EXPECT_EQ(gone, it != plain.end() && it->second == 1);
            if (it != plain.end() && --it->second == 0) plain.erase(it);
        }
        std::vector<ReferenceMaker*> expected;
        for (const auto& e : plain) expected.push_back(e.first);
        ASSERT_EQ(list.Makers(), expected) << step;
        ASSERT_EQ(list.Last(), expected.empty() ? nullptr : expected.back());
        ASSERT_EQ(list.Contains(m),
                  std::find(expected.begin(), expected.end(), m) != expected.end());
    }
    for (Node* m : makers) m->DeleteMe();
}

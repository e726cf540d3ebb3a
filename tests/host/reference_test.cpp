// The reference graph: dependents, notifications, automatic deletion and cloning.
#include "ref.h"

#include <gtest/gtest.h>

#include <string>
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

// Tests that link the plug-in's code into the test program: the module's entry
// routine runs once, as the host's loader runs it, before any test uses it.
#pragma once

#include "material/lumra_mtl.h"
#include "plugin/class_desc.h"

#include "stdmat.h"

#include "winhost.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Counts the messages a material sends to the objects that reference it.
class Watcher : public ReferenceMaker {
public:
    explicit Watcher(ReferenceTarget* target) { ReplaceReference(0, target); }
    SClass_ID SuperClassID() override { return 0x7777; }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int) override { return target_; }
    int Count(RefMessage message) const {
        int n = 0;
        for (RefMessage m : messages) n += m == message;
        return n;
    }
    std::vector<RefMessage> messages;

protected:
    void SetReference(int, RefTargetHandle t) override { target_ = t; }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage message,
                               BOOL) override {
        messages.push_back(message);
        return REF_SUCCEED;
    }

private:
    RefTargetHandle target_ = nullptr;
};

class PluginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(winhost::AttachLinkedModules()); }

    // A material made as the host makes one for a user.
    LumraMtl* NewMaterial() {
        auto* mtl = static_cast<LumraMtl*>(static_cast<Mtl*>(lumraMaterialClassDesc.Create(FALSE)));
        owned_.push_back(mtl);
        return mtl;
    }
    // A bitmap texture of the host, named for the test.
    static BitmapTex* NewMap(const wchar_t* name) {
        BitmapTex* map = NewDefaultBitmapTex();
        map->SetName(name);
        return map;
    }
    // Something that references the material and records what it is told; it goes
    // after the materials, so that it never is their last reference.
    Watcher* Watch(ReferenceTarget* target) {
        watchers_.push_back(std::make_unique<Watcher>(target));
        return watchers_.back().get();
    }
    void TearDown() override {
        AnimateOff();
        for (Mtl* m : owned_) m->DeleteMe();
        watchers_.clear();
    }

    std::vector<Mtl*> owned_;
    std::vector<std::unique_ptr<Watcher>> watchers_;
};

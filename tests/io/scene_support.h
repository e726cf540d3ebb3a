// Saving and loading materials through the host's scene files, for the tests.
#pragma once

#include "tests/support/plugin_fixture.h"

#include "scene_file.h"
#include "scene_stream.h"

#include <string>
#include <vector>

// The host's classes and the material's, as a host with the plug-in loaded finds them.
inline ClassLookup TestClasses() { return SceneClassLookup({&lumraMaterialClassDesc}); }

class SceneTest : public PluginTest {
protected:
    std::vector<unsigned char> Save(const std::vector<ReferenceTarget*>& roots) {
        std::vector<unsigned char> bytes;
        std::string error;
        EXPECT_TRUE(WriteScene(roots, TestClasses(), &bytes, &error)) << error;
        return bytes;
    }
    // Loads a scene; the materials it holds are deleted with the test's own.
    std::vector<LumraMtl*> Load(const std::vector<unsigned char>& bytes,
                                std::vector<std::string>* notes = nullptr) {
        LoadedScene scene;
        std::string error;
        EXPECT_TRUE(ReadScene(bytes.data(), bytes.size(), TestClasses(), &scene, &error)) << error;
        std::vector<LumraMtl*> mtls;
        for (ReferenceTarget* r : scene.roots) {
            auto* mtl = dynamic_cast<LumraMtl*>(r);
            EXPECT_NE(mtl, nullptr);
            if (mtl) {
                owned_.push_back(mtl);
                mtls.push_back(mtl);
            }
        }
        if (notes) *notes = scene.notes;
        return mtls;
    }
    LumraMtl* RoundTrip(LumraMtl* mtl) {
        std::vector<LumraMtl*> loaded = Load(Save({mtl}));
        return loaded.size() == 1 ? loaded[0] : nullptr;
    }
};

// What an editor server edits: a material (new, or one of a scene's), its panel open
// as in the material editor, and its sample slot rendering. Everything here runs on
// the host thread; only the preview's shading runs on render threads.
#pragma once

#include "panel_controls.h"
#include "preview_render.h"

#include "lumra/panel_session.h"
#include "lumra/plugin_host.h"
#include "lumra/scene_materials.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct EditorOptions {
    std::string scene;     // a scene file to edit a material of; empty: a new material
    int material = 1;      // which one, from 1
    std::string saveFile;  // where Save writes; empty: the scene file
    int size = 256;
    SampleSlotBackground background;
    int threads = 0;         // render threads; 0: every core
    std::string workFolder;  // the session's uploads, made and removed by the caller
    bool timing = false;     // print each pass's and each stop's time on standard error
};

// What the page learns of the material.
struct PanelLayout {
    int width = 0, height = 0;  // the panel's client area, pixels
    std::vector<ControlState> controls;
    long long generation = 0;
    std::vector<std::string> materials;  // the names of the scene's materials
    int current = 0;                     // the one edited, from 0
    std::string saveFile;
};

struct ChangeResult {
    bool ok = false;
    std::string error;  // one line, when not ok
    std::vector<ControlState> changed;
    long long generation = 0;
    // Drops: the slot that took the file (-1 none) and the texture's name.
    int slot = -1;
    std::string slotName, textureName;
};

class EditorSession {
public:
    using PreviewSink = std::function<void(const PreviewFrame&)>;
    EditorSession(PluginHost& host, EditorOptions options, PreviewSink sink);
    ~EditorSession();

    // Makes or loads the material, opens its panel and starts the preview.
    bool Start(std::string* error);

    PanelLayout Layout();
    // A user's change of a control; `received` is when its request arrived.
    ChangeResult Edit(const ControlEdit& edit, std::chrono::steady_clock::time_point received);
    // An uploaded file dropped at a point of the panel.
    ChangeResult Drop(POINT at, const std::string& name, const std::string& bytes);
    // Saves the scene to the save file; false with the reason.
    bool Save(std::string* error);
    // The scene file's bytes as Save would write them.
    bool SceneBytes(std::string* bytes, std::string* error);
    // An uploaded scene replaces the one edited; its first material is edited.
    bool Open(const std::string& bytes, std::string* error);
    // Edits another material of the scene.
    bool Choose(int index, std::string* error);
    // Stops the preview and closes the panel.
    void Shutdown();

    const EditorOptions& Options() const { return options_; }
    PluginHost& Host() const { return host_; }
    HWND Page() const { return panel_ ? panel_->Page() : nullptr; }
    Mtl* Material() const;
    IParamBlock2* Block() const;

private:
    bool OpenMaterial(int index, std::string* error);
    void StopPreview();
    void StartPreview();
    void Delivered(PreviewFrame&& frame);
    std::string NewUploadFolder();

    PluginHost& host_;
    ClassDesc* cd_ = nullptr;
    EditorOptions options_;
    PreviewSink sink_;
    SceneMaterials scene_;
    int current_ = 0;
    std::unique_ptr<PanelSession> panel_;
    std::unique_ptr<PreviewRenderer> renderer_;
    long long generation_ = 0;
    int uploads_ = 0;
    // When each generation's change arrived: read by the render thread for timing.
    std::mutex timingMutex_;
    long long timedGeneration_ = 0;
    std::chrono::steady_clock::time_point changeReceived_;
};

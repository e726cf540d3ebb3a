#include "editor_session.h"

#include "upload_name.h"

#include "lumra/material_setup.h"
#include "lumra/text.h"

#include "host_image.h"
#include "host_paths.h"
#include "iparamb2.h"
#include "regular_file.h"
#include "winui.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

// The shell hands the panel a dropped file's path in a buffer of 160 characters:
// an upload's path must fit, terminator included.
constexpr std::size_t kDropPathUnits = 159;

std::size_t Utf16Units(const std::string& utf8) {
    std::size_t n = 0;
    for (wchar_t c : FromUtf8(utf8)) n += static_cast<unsigned long>(c) > 0xFFFF ? 2 : 1;
    return n;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

EditorSession::EditorSession(PluginHost& host, EditorOptions options, PreviewSink sink)
    : host_(host), options_(std::move(options)), sink_(std::move(sink)) {
    if (options_.saveFile.empty()) options_.saveFile = options_.scene;
    int threads = options_.threads;
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    renderer_ = std::make_unique<PreviewRenderer>(
        threads, options_.size, options_.background,
        [this](PreviewFrame&& frame) { Delivered(std::move(frame)); });
}

EditorSession::~EditorSession() { Shutdown(); }

Mtl* EditorSession::Material() const {
    return current_ < static_cast<int>(scene_.materials.size()) ? scene_.materials[current_].get()
                                                                : nullptr;
}

IParamBlock2* EditorSession::Block() const {
    Mtl* mtl = Material();
    return mtl && cd_ ? MaterialParamBlock(mtl, cd_) : nullptr;
}

bool EditorSession::Start(std::string* error) {
    cd_ = host_.LumraMaterialClass();
    if (!cd_) {
        *error = "no loaded plug-in provides the Lumra material";
        return false;
    }
    int index = 0;
    if (!options_.scene.empty()) {
        if (!LoadSceneMaterials(host_, options_.scene, &scene_, error)) {
            *error = options_.scene + ": " + *error;
            return false;
        }
        index = options_.material - 1;
        if (index < 0 || index >= static_cast<int>(scene_.materials.size())) {
            *error = options_.scene + " has " + std::to_string(scene_.materials.size()) +
                     " material(s); there is no material " + std::to_string(options_.material);
            return false;
        }
    } else {
        MtlHandle mtl = NewMaterial(host_, cd_, {}, {}, error);
        if (!mtl) return false;
        scene_.materials.push_back(std::move(mtl));
    }
    return OpenMaterial(index, error);
}

bool EditorSession::OpenMaterial(int index, std::string* error) {
    StopPreview();
    panel_.reset();
    current_ = index;
    Mtl* mtl = Material();
    ClassDesc* cd = mtl ? host_.Dlls().FindClass(mtl->SuperClassID(), mtl->ClassID()) : nullptr;
    if (cd != cd_ || !Block()) {
        *error = "material " + std::to_string(index + 1) + " is not a Lumra material";
        return false;
    }
    panel_ = std::make_unique<PanelSession>();
    if (!panel_->Open(mtl, error)) {
        panel_.reset();
        return false;
    }
    ++generation_;
    StartPreview();
    return true;
}

void EditorSession::StopPreview() {
    const bool busy = renderer_->Busy();
    const double seconds = renderer_->Stop();
    if (options_.timing && busy)
        std::fprintf(stderr, "timing: render stopped in %.2f ms\n", seconds * 1000.0);
}

void EditorSession::StartPreview() {
    Mtl* mtl = Material();
    if (!mtl) return;
    // The host updates the material before it shades, on its own thread.
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    renderer_->Start(mtl, generation_);
}

void EditorSession::Delivered(PreviewFrame&& frame) {
    if (options_.timing) {
        std::lock_guard<std::mutex> lock(timingMutex_);
        if (frame.generation == timedGeneration_)
            std::fprintf(stderr,
                         "timing: generation %lld %dpx %.2f ms after the change (pass %.2f ms)\n",
                         frame.generation, frame.size, Ms(frame.done - changeReceived_),
                         frame.passSeconds * 1000.0);
    }
    sink_(frame);
}

PanelLayout EditorSession::Layout() {
    PanelLayout layout;
    if (HWND page = Page()) {
        const RECT r = winhost::WindowRectInParent(page);
        layout.width = r.right - r.left;
        layout.height = r.bottom - r.top;
        layout.controls = ReadPanelControls(page, Block());
    }
    layout.generation = generation_;
    for (const MtlHandle& m : scene_.materials)
        layout.materials.push_back(ToUtf8(m->GetName().data()));
    layout.current = current_;
    layout.saveFile = options_.saveFile;
    return layout;
}

ChangeResult EditorSession::Edit(const ControlEdit& edit,
                                 std::chrono::steady_clock::time_point received) {
    ChangeResult result;
    HWND page = Page();
    if (!page) {
        result.error = "no panel is open";
        return result;
    }
    const std::vector<ControlState> before = ReadPanelControls(page, Block());
    // The render threads shade the material: they stop before it changes.
    const bool busy = renderer_->Busy();
    StopPreview();
    result.ok = ApplyControlEdit(page, Block(), edit, &result.error);
    if (result.ok) {
        ++generation_;
        std::lock_guard<std::mutex> lock(timingMutex_);
        timedGeneration_ = generation_;
        changeReceived_ = received;
    }
    if (result.ok || busy) StartPreview();
    result.changed = ChangedControls(before, ReadPanelControls(page, Block()));
    result.generation = generation_;
    return result;
}

std::string EditorSession::NewUploadFolder() {
    const std::string folder = options_.workFolder + "/" + std::to_string(++uploads_);
    std::error_code ec;
    std::filesystem::create_directory(FileSystemPath(FromUtf8(folder)), ec);
    return ec ? std::string() : folder;
}

ChangeResult EditorSession::Drop(POINT at, const std::string& name, const std::string& bytes) {
    ChangeResult result;
    HWND page = Page();
    const std::string folder = page ? NewUploadFolder() : std::string();
    if (folder.empty()) {
        result.error =
            page ? "the session's uploads folder cannot take the file" : "no panel is open";
        return result;
    }
    const std::size_t used = Utf16Units(folder) + 1;
    if (used + 8 > kDropPathUnits) {
        result.error = "the session's uploads folder has too long a path for a dropped file";
        return result;
    }
    const std::string safe = SafeUploadName(name, kDropPathUnits - used);
    const std::string path = folder + "/" + safe;
    const auto fsFolder = FileSystemPath(FromUtf8(folder));
    auto discard = [&] {
        std::error_code ec;
        std::filesystem::remove_all(fsFolder, ec);
    };
    std::string why;
    if (!ReplaceRegularFile(path, bytes.data(), bytes.size(), why)) {
        discard();
        result.error = safe + ": not kept: " + why;
        return result;
    }
    HostImage image;
    if (!ReadHostImage(path, image, why)) {
        discard();
        const auto detail = why.find(": ");
        result.error = safe + " is not a picture the host reads" +
                       (detail == std::string::npos ? "" : why.substr(detail));
        return result;
    }
    const std::vector<ControlState> before = ReadPanelControls(page, Block());
    const bool busy = renderer_->Busy();
    StopPreview();
    const DropOutcome outcome = panel_->Drop(PanelDrop{at, path});
    result.ok = true;
    result.slot = outcome.slot;
    result.slotName = outcome.slotName;
    result.textureName = outcome.textureName;
    if (outcome.slot >= 0) {
        ++generation_;
        std::lock_guard<std::mutex> lock(timingMutex_);
        timedGeneration_ = generation_;
        changeReceived_ = std::chrono::steady_clock::now();
    } else {
        discard();  // nothing took it
    }
    if (outcome.slot >= 0 || busy) StartPreview();
    result.changed = ChangedControls(before, ReadPanelControls(page, Block()));
    result.generation = generation_;
    return result;
}

bool EditorSession::Save(std::string* error) {
    if (options_.saveFile.empty()) {
        *error = "no file to save to (start the server with --save FILE or --scene FILE)";
        return false;
    }
    const bool busy = renderer_->Busy();
    StopPreview();
    std::vector<Mtl*> materials;
    for (const MtlHandle& m : scene_.materials) {
        Interval valid = FOREVER;
        m->Update(0, valid);  // the cached values the file stores
        materials.push_back(m.get());
    }
    const bool ok = SaveSceneMaterials(host_, options_.saveFile, materials, error);
    if (!ok) *error = options_.saveFile + ": not saved: " + *error;
    if (busy) StartPreview();
    return ok;
}

bool EditorSession::SceneBytes(std::string* bytes, std::string* error) {
    const std::string path = options_.workFolder + "/download.lsc";
    const bool busy = renderer_->Busy();
    StopPreview();
    std::vector<Mtl*> materials;
    for (const MtlHandle& m : scene_.materials) {
        Interval valid = FOREVER;
        m->Update(0, valid);
        materials.push_back(m.get());
    }
    bool ok = SaveSceneMaterials(host_, path, materials, error);
    if (busy) StartPreview();
    const auto file = FileSystemPath(FromUtf8(path));
    if (ok) {
        // The session's own file, just written.
        std::ifstream in(file, std::ios::binary);
        bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ok = in.good() || in.eof();
        if (!ok) *error = "the scene written could not be read back";
    }
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return ok;
}

bool EditorSession::Open(const std::string& bytes, std::string* error) {
    const std::string folder = NewUploadFolder();
    if (folder.empty()) {
        *error = "the session's uploads folder cannot take the scene";
        return false;
    }
    const std::string path = folder + "/opened.lsc";
    SceneMaterials loaded;
    if (!ReplaceRegularFile(path, bytes.data(), bytes.size(), *error) ||
        !LoadSceneMaterials(host_, path, &loaded, error)) {
        *error = "the scene cannot be opened: " + *error;
        return false;
    }
    int first = -1;
    for (std::size_t i = 0; i < loaded.materials.size() && first < 0; ++i)
        if (host_.Dlls().FindClass(loaded.materials[i]->SuperClassID(),
                                   loaded.materials[i]->ClassID()) == cd_)
            first = static_cast<int>(i);
    if (first < 0) {
        *error = "the scene holds no Lumra material";
        return false;
    }
    StopPreview();
    panel_.reset();
    scene_ = std::move(loaded);
    return OpenMaterial(first, error);
}

bool EditorSession::Choose(int index, std::string* error) {
    if (index < 0 || index >= static_cast<int>(scene_.materials.size())) {
        *error = "the scene has no material " + std::to_string(index + 1);
        return false;
    }
    const int previous = current_;
    if (OpenMaterial(index, error)) return true;
    std::string ignored;
    OpenMaterial(previous, &ignored);
    return false;
}

void EditorSession::Shutdown() {
    if (renderer_) renderer_->Stop();
    panel_.reset();
    scene_.materials.clear();
}

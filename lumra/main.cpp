// lumra: a command-line host for the Lumra material plug-in. It loads plug-in
// modules as the host application does and works with the materials they provide.
#include "commands.h"
#include "text.h"

#include "bitmaptex.h"
#include "host_image.h"
#include "regular_file.h"
#include "winhost.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <new>
#include <sstream>

namespace {

// Each line escaped (CLI11 quotes arguments in its messages).
void PrintEscapedLines(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        std::fprintf(stderr, "%s\n", EscapeControls(line).c_str());
}

int Run(int argc, char** argv) {
    // The host holds every name as Unicode text: an argument that is not UTF-8 (a
    // Linux file name may be any bytes) would name another file once converted.
    for (int i = 1; i < argc; ++i) {
        if (!winhost::IsUtf8(argv[i])) {
            PrintError(std::string("the argument \"") + argv[i] +
                       "\" is not UTF-8 text; the host names files in Unicode, so a file "
                       "named so cannot be used (rename it)");
            return 1;
        }
    }
    CLI::App app{
        "lumra: loads the Lumra material plug-in as the host does, and shows what it "
        "makes."};
    app.require_subcommand(1);
    HostOptions host;
    app.add_option("--plugins", host.pluginDir,
                   "Folder of plug-in modules to load (default: the build's plug-in folder, " +
                       DefaultPluginDir() + ")");
    std::size_t maxImagePixels = kDefaultMaxImagePixels;
    app.add_option("--max-image-pixels", maxImagePixels,
                   "Refuse image files (textures, the preview environment) of more pixels than "
                   "this, before reading them")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    std::uint64_t maxTextureBytes = kDefaultMaxMaterialTextureBytes;
    app.add_option("--max-texture-memory", maxTextureBytes,
                   "Refuse a texture whose picture would take the pictures of all the maps of "
                   "one material past this many bytes (16 a pixel; K, M, G count in 1024s), "
                   "before reading its pixels")
        ->capture_default_str()
        ->transform(CLI::AsSizeValue(false))
        ->check(CLI::PositiveNumber);

    auto* classes =
        app.add_subcommand("classes",
                           "List the classes of every loaded plug-in: name, super class, class id, "
                           "category and material-browser category.");

    ShowOptions show;
    auto* showCmd = app.add_subcommand(
        "show",
        "Create a material and print every parameter (id, internal name, type, value, "
        "range, label) in declaration order, then what the renderer reads through "
        "ILumraMtl after an update.");
    showCmd
        ->add_option("--set", show.settings,
                     "Set a parameter by internal name before printing, as a script would: "
                     "NAME=VALUE, with colours as r,g,b, switches as true/false/1/0 and list "
                     "choices by item text (e.g. mtl_reflect_brdf=TRGGX) or index. Repeatable.")
        ->allow_extra_args(false);

    RenderOptions render;
    auto* renderCmd = app.add_subcommand(
        "render",
        "Render a material's sample slot (a sphere lit by the slot's two lights, "
        "reflecting the preview environment) to an image.");
    renderCmd->add_option("--set", render.settings,
                          "Set a parameter by internal name, as for 'show'. Repeatable.");
    renderCmd->add_option("--map", render.maps,
                          "Put a bitmap texture of an image file in a map parameter: "
                          "NAME=FILE, e.g. mtl_diffuse_map=wood.png; NAME=normal:FILE wraps a "
                          "tangent-space normal map in a Normal Bump map. Repeatable.");
    renderCmd->add_option("--drop", render.drops,
                          "Drop a file on the material's panel first, as 'panel --drop' does: "
                          "X,Y=FILE. Repeatable.");
    renderCmd->add_option("--size", render.size, "Slot size in pixels (each cell's, with --sheet)")
        ->capture_default_str();
    renderCmd
        ->add_option("--background", render.background,
                     "The slot's background: 'checker' or a colour R,G,B")
        ->capture_default_str();
    renderCmd
        ->add_option("--threads", render.threads,
                     "Render threads, each with its own shading context, from 1 to " +
                         std::to_string(kMaxRenderThreads) + " (default: every core)")
        ->check(CLI::Range(1, kMaxRenderThreads));
    renderCmd
        ->add_option("-o,--output", render.output,
                     "Image file: .png (display gamma 2.2), or .exr or .hdr (linear values)")
        ->capture_default_str();
    renderCmd->add_option("--scene", render.scene,
                          "Render a material of a scene file (see 'save') instead of a new one");
    renderCmd
        ->add_option("--material", render.material,
                     "Which material of the scene, counted from 1 as 'load' lists them")
        ->capture_default_str();
    renderCmd->add_flag("--sheet", render.sheet,
                        "A contact sheet: the five reflectance models in columns and glossiness "
                        "values in rows, each cell labelled");

    ThumbnailOptions thumbs;
    auto* thumbsCmd = app.add_subcommand(
        "thumbnails",
        "Draw every material of a library (a scene file, see 'save') in its sample slot: one "
        "PNG per material named from its index and name, index.json (index, name, class, "
        "file, the hash of what it was drawn from, warnings) and labelled contact sheets "
        "(sheet.png, sheet-2.png... of 256 cells each). Each picture equals 'render --scene "
        "LIB --material N'. Other files of the folder are left alone.");
    thumbsCmd->add_option("LIB", thumbs.library, "The library: a scene file")->required();
    thumbsCmd->add_option("-o,--output", thumbs.output, "The folder to write (made if missing)")
        ->required();
    thumbsCmd->add_option("--size", thumbs.size, "Thumbnail size in pixels")->capture_default_str();
    thumbsCmd
        ->add_option("--background", thumbs.background,
                     "The slots' background: 'checker' or a colour R,G,B")
        ->capture_default_str();
    thumbsCmd
        ->add_option("--threads", thumbs.threads,
                     "Threads, each drawing whole materials, from 1 to " +
                         std::to_string(kMaxRenderThreads) + " (default: every core)")
        ->check(CLI::Range(1, kMaxRenderThreads));
    thumbsCmd->add_option("--materials", thumbs.materials,
                          "Draw only materials A to B, counted from 1 as 'load' lists them: A-B, "
                          "A- (to the end) or A; a range past the end stops at the last one "
                          "(one range per job of a render farm's job array)");
    thumbsCmd->add_option("--cache", thumbs.cache,
                          "A cache folder: a material whose hash (its saved data, its textures' "
                          "bytes, the size, the background and the program's modules) is "
                          "unchanged is copied from it, not drawn again. Jobs may share one.");

    PanelOptions panel;
    auto* panelCmd = app.add_subcommand(
        "panel",
        "Open a new material's panel as the material editor does: draw it as a picture "
        "(one pixel per screen pixel) and drop files on its map buttons.");
    panelCmd->add_option("--set", panel.settings,
                         "Set a parameter by internal name first, as for show. Repeatable.");
    panelCmd->add_option("--map", panel.maps,
                         "Give a map parameter a bitmap texture reading a file: NAME=FILE, e.g. "
                         "mtl_diffuse_map=brick_01.png. Repeatable.");
    panelCmd->add_option("--drop", panel.drops,
                         "Drop a file at a point of the panel's client area, in pixels from its "
                         "top left corner, as from the desktop: X,Y=FILE. Reports which map slot "
                         "took which texture. Repeatable; drops happen in order.");
    panelCmd->add_option("-o,--output", panel.output,
                         "Write the picture of the panel to this PNG file.");

    SaveOptions save;
    auto* saveCmd = app.add_subcommand(
        "save",
        "Create a material, set its parameters and maps, and save it in a scene file. "
        "The previous file is replaced only when the whole file was written.");
    saveCmd->add_option("FILE", save.file, "The scene file to write")->required();
    saveCmd
        ->add_option("--set", save.settings,
                     "Set a parameter by internal name, as for show: NAME=VALUE. Repeatable.")
        ->allow_extra_args(false);
    saveCmd
        ->add_option("--map", save.maps,
                     "Put a bitmap texture showing an image file in a map parameter: "
                     "NAME=FILE (e.g. mtl_diffuse_map=wood.png). Repeatable.")
        ->allow_extra_args(false);

    LoadOptions load;
    auto* loadCmd = app.add_subcommand(
        "load",
        "Load a scene file and print every material in it as show does, saying when a "
        "parameter block was upgraded from an earlier layout.");
    loadCmd->add_option("FILE", load.file, "The scene file to read")->required();

    ServeOptions serve;
    auto* serveCmd = app.add_subcommand(
        "serve",
        "Edit a material in a web browser: its panel, built from the plug-in's own, and its "
        "sample slot, following every edit; files dropped from the desktop onto map buttons; "
        "Save, Download and Open of scene files. Prints the address to open (with its access "
        "token) and serves until Ctrl-C.");
    serveCmd->add_option("--port", serve.port, "Port to listen on (0: any free one)")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    serveCmd
        ->add_option("--bind", serve.bind,
                     "Address to listen on; other machines reach the editor only if this is "
                     "not a loopback address")
        ->capture_default_str();
    serveCmd->add_option("--scene", serve.scene,
                         "Edit a material of this scene file instead of a new one");
    serveCmd->add_option("--material", serve.material, "Which material of the scene, from 1")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    serveCmd->add_option("--save", serve.save,
                         "The scene file Save writes (default: the --scene file, else "
                         "material.lsc)");
    serveCmd->add_option("--size", serve.size, "Sample slot size in pixels")
        ->capture_default_str()
        ->check(CLI::Range(16, 1024));
    serveCmd
        ->add_option("--background", serve.background,
                     "The slot's background: 'checker' or a colour R,G,B")
        ->capture_default_str();
    serveCmd
        ->add_option("--threads", serve.threads,
                     "Render threads for the preview (default: every core)")
        ->check(CLI::Range(1, kMaxRenderThreads));
    serveCmd
        ->add_option("--max-upload", serve.maxUploadMiB,
                     "Refuse uploaded files (pictures, scenes) larger than this many MiB")
        ->capture_default_str()
        ->check(CLI::Range(1, 4096));
    serveCmd->add_flag("--timing", serve.timing,
                       "Print on standard error how long each preview pass took after the "
                       "change it shows, and how long each render took to stop");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help asked for is a success; any mistake on the command line is status 1.
        std::ostringstream out, err;
        const int status = app.exit(e, out, err);
        std::fputs(out.str().c_str(), stdout);
        PrintEscapedLines(err.str());
        return status == 0 ? 0 : 1;
    }
    SetMaxImagePixels(maxImagePixels);
    SetMaxMaterialTextureBytes(maxTextureBytes);

    if (classes->parsed()) return RunClasses(host);
    if (showCmd->parsed()) return RunShow(host, show);
    if (renderCmd->parsed()) return RunRender(host, render);
    if (thumbsCmd->parsed()) return RunThumbnails(host, thumbs);
    if (panelCmd->parsed()) return RunPanel(host, panel);
    if (saveCmd->parsed()) return RunSave(host, save);
    if (loadCmd->parsed()) return RunLoad(host, load);
    if (serveCmd->parsed()) return RunServe(host, serve);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Ctrl-C or a hang-up during a save leaves no temporary file, and a size limit
    // (ulimit -f) fails a save with its reason instead of killing the program.
    RemoveSaveFilesOnSignals();
    // Whatever a command did not handle ends the program with its reason, never
    // with an abort.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "lumra: not enough memory\n");
    } catch (const std::exception& e) {
        PrintError(e.what());
    } catch (...) {
        std::fprintf(stderr, "lumra: an unknown error ended the command\n");
    }
    return 1;
}

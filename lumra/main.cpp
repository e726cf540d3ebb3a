// lumra: a command-line host for the Lumra material plug-in. It loads plug-in
// modules as the host application does and works with the materials they provide.
#include "commands.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    CLI::App app{"lumra: loads the Lumra material plug-in as the host does, and shows what it "
                 "makes."};
    app.require_subcommand(1);
    HostOptions host;
    app.add_option("--plugins", host.pluginDir,
                   "Folder of plug-in modules to load (default: the build's plug-in folder, " +
                       DefaultPluginDir() + ")");

    auto* classes = app.add_subcommand(
        "classes", "List the classes of every loaded plug-in: name, super class, class id, "
                   "category and material-browser category.");

    ShowOptions show;
    auto* showCmd = app.add_subcommand(
        "show", "Create a material and print every parameter (id, internal name, type, value, "
                "range, label) in declaration order, then its cached values after an update.");
    showCmd
        ->add_option("--set", show.settings,
                     "Set a parameter by internal name before printing, as a script would: "
                     "NAME=VALUE, with colours as r,g,b, switches as true/false/1/0 and list "
                     "choices by item text (e.g. mtl_reflect_brdf=TRGGX) or index. Repeatable.")
        ->allow_extra_args(false);

    SaveOptions save;
    auto* saveCmd = app.add_subcommand(
        "save", "Create a material, set its parameters and maps, and save it in a scene file. "
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
        "load", "Load a scene file and print every material in it as show does, saying when a "
                "parameter block was upgraded from an earlier layout.");
    loadCmd->add_option("FILE", load.file, "The scene file to read")->required();

    CLI11_PARSE(app, argc, argv);

    if (classes->parsed()) return RunClasses(host);
    if (showCmd->parsed()) return RunShow(host, show);
    if (saveCmd->parsed()) return RunSave(host, save);
    if (loadCmd->parsed()) return RunLoad(host, load);
    return 1;
}

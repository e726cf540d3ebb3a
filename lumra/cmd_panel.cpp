// lumra panel: a new material's panel as the material editor shows it, drawn as a
// picture, with files dropped on it as from the desktop.
#include "commands.h"
#include "material_setup.h"
#include "panel_painter.h"
#include "panel_session.h"
#include "png_write.h"
#include "text.h"

#include <cstdio>

namespace {

int Fail(const std::string& message) {
    PrintError(message);
    return 1;
}

}  // namespace

int RunPanel(const HostOptions& hostOptions, const PanelOptions& options) {
    if (options.output.empty() && options.drops.empty())
        return Fail("panel needs a picture to write (-o FILE) or files to drop (--drop)");
    std::string error;
    std::vector<Setting> settings, maps;
    if (!ParseSettings(options.settings, &settings, &error) ||
        !ParseSettings(options.maps, &maps, &error))
        return Fail(error);
    std::vector<PanelDrop> drops;
    for (const std::string& text : options.drops) {
        PanelDrop d;
        if (!ParsePanelDrop(text, &d, &error)) return Fail(error);
        drops.push_back(d);
    }

    PluginHost host;
    ClassDesc* cd = nullptr;
    if (!LoadLumraMaterialClass(host, hostOptions, &cd, &error)) return Fail(error);
    MtlHandle mtl = NewMaterial(host, cd, settings, maps, &error);
    if (!mtl) return Fail(error);

    PanelSession session;
    if (!session.Open(mtl.get(), &error)) return Fail(error);
    for (const PanelDrop& d : drops)
        std::printf("drop %s\n", DescribeDrop(session.Drop(d)).c_str());

    if (!options.output.empty()) {
        const Picture picture = PaintPanel(session.Page());
        if (!WritePng(options.output, picture.width, picture.height, picture.rgb.data(), &error))
            return Fail(error);
        std::printf("panel: %d x %d pixels written to %s\n", picture.width, picture.height,
                    EscapeControls(options.output).c_str());
    }
    return 0;
}

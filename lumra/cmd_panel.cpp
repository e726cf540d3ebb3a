// lumra panel: a new material's panel as the material editor shows it, drawn as a
// picture, with files dropped on it as from the desktop.
#include "commands.h"
#include "panel_painter.h"
#include "panel_session.h"
#include "png_write.h"

#include <cstdio>

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "lumra: %s\n", message.c_str());
    return 1;
}

}  // namespace

int RunPanel(const HostOptions& hostOptions, const PanelOptions& options) {
    if (options.output.empty() && options.drops.empty())
        return Fail("panel needs a picture to write (-o FILE) or files to drop (--drop)");
    std::string error;
    std::vector<Setting> settings;
    for (const std::string& text : options.settings) {
        Setting s;
        if (!ParseSetting(text, &s, &error)) return Fail(error);
        settings.push_back(s);
    }
    std::vector<Setting> maps;
    for (const std::string& text : options.maps) {
        Setting m;
        if (!ParseSetting(text, &m, &error)) return Fail(error);
        maps.push_back(m);
    }
    std::vector<PanelDrop> drops;
    for (const std::string& text : options.drops) {
        PanelDrop d;
        if (!ParsePanelDrop(text, &d, &error)) return Fail(error);
        drops.push_back(d);
    }

    PluginHost host;
    if (!host.Load(hostOptions, &error)) return Fail(error);
    ClassDesc* cd = host.LumraMaterialClass();
    if (!cd) return Fail("no loaded plug-in provides the Lumra material");
    MtlHandle mtl = host.CreateMaterial(cd);
    if (!mtl) return Fail("the material could not be created");
    IParamBlock2* block = mtl->GetParamBlock(0);
    if (!block) return Fail("the material has no parameter block");

    for (const Setting& s : settings) {
        std::string warning;
        if (!ApplySetting(block, cd, s, 0, &error, &warning)) return Fail(error);
        if (!warning.empty()) std::fprintf(stderr, "lumra: warning: %s\n", warning.c_str());
    }
    for (const Setting& m : maps)
        if (!ApplyMapSetting(block, m, 0, &error)) return Fail(error);

    PanelSession session;
    if (!session.Open(mtl.get(), &error)) return Fail(error);
    for (const PanelDrop& d : drops)
        std::printf("drop %s\n", DescribeDrop(session.Drop(d)).c_str());

    if (!options.output.empty()) {
        const Picture picture = PaintPanel(session.Page());
        if (!WritePng(options.output, picture.width, picture.height, picture.rgb.data(), &error))
            return Fail(error);
        std::printf("panel: %d x %d pixels written to %s\n", picture.width, picture.height,
                    options.output.c_str());
    }
    return 0;
}

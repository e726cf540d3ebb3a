// The environment that sample slots reflect: one bitmap texture for the whole
// module, showing the plug-in's HDR studio image.
#pragma once

#include "stdmat.h"

// The preview environment, once the first material has configured it; null
// before, and whenever the host could not make the texture.
extern Texmap* previewEnvMap;

// The texture and its coordinates object as made when the module was loaded.
struct PreviewEnvironment {
    BitmapTex* texture;
    StdUVGen* coordinates;

    PreviewEnvironment();
    // The module owns the texture for its whole life and lets it go only when it
    // is unloaded.
    ~PreviewEnvironment();
    PreviewEnvironment(const PreviewEnvironment&) = delete;
    PreviewEnvironment& operator=(const PreviewEnvironment&) = delete;
    // Points the texture at the environment image, sampled by direction, and
    // publishes it as previewEnvMap. The first material constructed calls it.
    void Configure();
};

extern PreviewEnvironment previewEnvironment;

// Where the plug-in's environment image is installed.
inline constexpr const MCHAR* kPreviewEnvironmentFile =
    L"c:\\[Lumra]\\pluginFiles\\material\\EnvMatEdit.hdr";

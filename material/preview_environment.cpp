#include "material/preview_environment.h"

Texmap* previewEnvMap = nullptr;

PreviewEnvironment::PreviewEnvironment()
    : texture(NewDefaultBitmapTex()), coordinates(texture ? texture->GetUVGen() : nullptr) {}

PreviewEnvironment::~PreviewEnvironment() {
    if (previewEnvMap == texture) previewEnvMap = nullptr;
    if (texture) texture->DeleteMe();
}

void PreviewEnvironment::Configure() {
    if (!texture) return;
    if (coordinates) {
        coordinates->InitSlotType(MAPSLOT_ENVIRON);
        coordinates->SetCoordMapping(0);  // the first environment mapping: spherical
    }
    texture->SetFilterType(FILTER_NADA);
    texture->SetMapName(kPreviewEnvironmentFile, false);
    previewEnvMap = texture;
}

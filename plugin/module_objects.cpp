// The module's process-wide objects, in the order they must be built: the class
// descriptor, then the parameter-block declaration that registers with it, then
// the preview environment texture. They live until the module is unloaded.
#include "material/map_slots.h"
#include "material/param_block_declaration.h"
#include "material/preview_environment.h"
#include "plugin/class_desc.h"
#include "ui/resource.h"

LumraMtlClassDesc lumraMaterialClassDesc;

ParamBlockDesc2 lumraParamBlockDesc =
    DeclareLumraParamBlock(&lumraMaterialClassDesc, kParamBlockRef, IDD_LUMRA_PARAMS, IDS_PARAMS);

PreviewEnvironment previewEnvironment;

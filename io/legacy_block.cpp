#include "io/legacy_block.h"

#include "io/legacy_layouts.h"

namespace {

const ParamVersionDesc* Layout(DWORD version) {
    for (const ParamVersionDesc& v : kLegacyVersions) {
        if (v.version == version) return &v;
    }
    return nullptr;
}

}  // namespace

int LegacyEntryIndex(DWORD version, ParamID id) {
    const ParamVersionDesc* layout = Layout(version);
    for (int i = 0; layout && i < layout->count; ++i) {
        if (static_cast<ParamID>(layout->desc[i].id) == id) return i;
    }
    return -1;
}

IParamBlock* NewLegacyParamBlock(DWORD version, IParamBlock2* from) {
    const ParamVersionDesc* layout = Layout(version);
    if (!layout || !from) return nullptr;
    IParamBlock* block = CreateParameterBlock(layout->desc, layout->count, version);
    for (int i = 0; i < layout->count; ++i) {
        const ParamID id = static_cast<ParamID>(layout->desc[i].id);
        Interval valid = FOREVER;
        switch (layout->desc[i].type) {
            case TYPE_FLOAT: {
                float v = 0.0f;
                if (from->GetValue(id, 0, v, valid)) block->SetValueAt(i, 0, v);
                break;
            }
            case TYPE_INT:
            case TYPE_BOOL: {
                int v = 0;
                if (from->GetValue(id, 0, v, valid)) block->SetValueAt(i, 0, v);
                break;
            }
            case TYPE_RGBA: {
                Color v;
                if (from->GetValue(id, 0, v, valid)) block->SetValueAt(i, 0, v);
                break;
            }
            default:
                break;
        }
    }
    return block;
}

#include "plugin/class_desc.h"

#include "material/lumra_mtl.h"
#include "plugin/string_table.h"
#include "shading/shade_statistics.h"
#include "ui/resource.h"

#include <cstring>
#include <new>

LumraMtlClassDesc::LumraMtlClassDesc() { AddInterface(&shadeStatistics); }

void* LumraMtlClassDesc::Create(BOOL loading) {
    // Nothing may be thrown into the host: a failed allocation answers null.
    void* storage = LumraMtl::operator new(sizeof(LumraMtl), std::nothrow);
    if (!storage) return nullptr;
    std::memset(storage, 0, sizeof(LumraMtl));
    try {
        return new (storage) LumraMtl(loading);
    } catch (...) {
        LumraMtl::operator delete(storage);
        return nullptr;
    }
}

const MCHAR* LumraMtlClassDesc::ClassName() { return GetString(IDS_CLASS_NAME); }
SClass_ID LumraMtlClassDesc::SuperClassID() { return MATERIAL_CLASS_ID; }
Class_ID LumraMtlClassDesc::ClassID() { return LUMRA_MTL_CLASS_ID; }
const MCHAR* LumraMtlClassDesc::Category() { return GetString(IDS_CATEGORY); }
HINSTANCE LumraMtlClassDesc::HInstance() { return hInstance; }

FPInterface* LumraMtlClassDesc::GetInterface(Interface_ID id) {
    if (id == IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE)
        return static_cast<IMaterialBrowserEntryInfo*>(this);
    return ClassDesc2::GetInterface(id);
}

const MCHAR* LumraMtlClassDesc::GetEntryName() const {
    return const_cast<LumraMtlClassDesc*>(this)->ClassName();
}

const MCHAR* LumraMtlClassDesc::GetEntryCategory() const {
    static const MSTR category(L"Materials\\Lumra");
    return category.data();
}

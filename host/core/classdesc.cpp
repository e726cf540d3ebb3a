#include "iparamb2.h"

#include "windows.h"

#include <algorithm>
#include <string>

// --- ClassDesc ----------------------------------------------------------------

ClassDesc::ClassDesc() = default;
ClassDesc::~ClassDesc() = default;

FPInterface* ClassDesc::GetInterface(Interface_ID id) {
    for (FPInterface* fpi : interfaces_) {
        if (fpi && fpi->GetID() == id) return fpi;
    }
    return nullptr;
}

FPInterface* ClassDesc::GetInterface(const MCHAR*) {
    // Interfaces are published without internal names in this host.
    return nullptr;
}

FPInterface* ClassDesc::GetInterfaceAt(int i) {
    return (i >= 0 && i < NumInterfaces()) ? interfaces_[i] : nullptr;
}

void ClassDesc::AddInterface(FPInterface* fpi) {
    if (fpi && std::find(interfaces_.begin(), interfaces_.end(), fpi) == interfaces_.end())
        interfaces_.push_back(fpi);
}

// --- ClassDesc2 ---------------------------------------------------------------

ClassDesc2::ClassDesc2() = default;
ClassDesc2::~ClassDesc2() = default;

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) {
    return (i >= 0 && i < NumParamBlockDescs()) ? pbDescs_[i] : nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) {
    for (ParamBlockDesc2* pbd : pbDescs_) {
        if (pbd->ID == id) return pbd;
    }
    return nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByName(const MCHAR* name) {
    if (!name) return nullptr;
    for (ParamBlockDesc2* pbd : pbDescs_) {
        if (pbd->int_name && std::wstring(pbd->int_name) == name) return pbd;
    }
    return nullptr;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) {
    if (pbd && std::find(pbDescs_.begin(), pbDescs_.end(), pbd) == pbDescs_.end())
        pbDescs_.push_back(pbd);
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
    if (!owner) return;
    for (ParamBlockDesc2* pbd : pbDescs_) {
        if (!(pbd->flags & P_AUTO_CONSTRUCT)) continue;
        IParamBlock2* block = CreateParameterBlock2(pbd, owner);
        if (owner->ReplaceReference(pbd->ref_no, block) != REF_SUCCEED) block->DeleteMe();
    }
}

void ClassDesc2::Reset(ReferenceMaker* owner, BOOL, BOOL) {
    if (!owner) return;
    for (ParamBlockDesc2* pbd : pbDescs_) {
        if (!(pbd->flags & P_AUTO_CONSTRUCT)) continue;
        if (auto* block = dynamic_cast<IParamBlock2*>(owner->GetReference(pbd->ref_no)))
            block->ResetAll();
    }
}

void ClassDesc2::BeginEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
void ClassDesc2::EndEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}

void ClassDesc2::SetUserDlgProc(ParamBlockDesc2* pbd, MapID map_id, ParamMap2UserDlgProc* proc) {
    if (pbd) pbd->SetUserDlgProc(map_id, proc);
}

// Each request is recorded, then the open maps concerned show their block again.
void ClassDesc2::InvalidateUI() {
    invalidations_.push_back({nullptr, -1, -1});
    for (IParamMap2* map : std::vector<IParamMap2*>(paramMaps_)) map->Invalidate();
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd) {
    invalidations_.push_back({pbd, -1, -1});
    for (IParamMap2* map : std::vector<IParamMap2*>(paramMaps_))
        if (map->GetDesc() == pbd) map->Invalidate();
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd, ParamID id, int tabIndex) {
    invalidations_.push_back({pbd, id, tabIndex});
    for (IParamMap2* map : std::vector<IParamMap2*>(paramMaps_))
        if (map->GetDesc() == pbd) map->Invalidate(id, tabIndex);
}

// One buffer for every class's lookups, as a module's own string table has.
const MCHAR* ClassDesc::GetRsrcString(StringResID id) {
    static MCHAR buffer[512];
    HINSTANCE module = HInstance();
    if (!module) return nullptr;
    return LoadStringW(module, static_cast<UINT>(id), buffer, 512) ? buffer : nullptr;
}

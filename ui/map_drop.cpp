#include "ui/map_drop.h"

#include "material/lumra_mtl.h"
#include "material/map_slots.h"
#include "ui/resource.h"

#include "stdmat.h"
#include "strclass.h"

#include "windows.h"

#include "shellapi.h"

#include <string>
#include <utility>

namespace {

constexpr std::pair<int, int> kButtonSlots[] = {
    {IDC_DIFFUSE_MAP, kDiffuseMap},
    {IDC_REFLECT_MAP, kReflectMap},
    {IDC_EMISSION_MAP, kEmissionMap},
    {IDC_TRANSPARENCY_MAP, kTransparencyMap},
    {IDC_NORMAL_MAP, kNormalMap},
    {IDC_REFL_GL_MAP, kReflGlossMap},
    {IDC_TRANSP_GL_MAP, kTranspGlossMap},
    {IDC_OPACITY_MAP, kOpacityMap},
    {IDC_TRANSLUCENCY_MAP, kTranslucencyMap},
    {IDC_REFLECT_ANISOTROPY_MAP, kReflectAnisotropyMap},
    {IDC_REFLECT_ROTATION_MAP, kReflectRotationMap},
};

// The path of file `index` of the drop, read whole: its length is asked first.
std::wstring DroppedPath(HDROP drop, UINT index) {
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0) return std::wstring();
    std::wstring path(length, L'\0');
    const UINT copied = DragQueryFileW(drop, index, path.data(), length + 1);
    path.resize(copied);
    return path;
}

}  // namespace

int DropSlotOfControl(int controlId) {
    for (const auto& [button, slot] : kButtonSlots)
        if (button == controlId) return slot;
    return -1;
}

int AssignDroppedFile(LumraMtl* mtl, int controlId, const wchar_t* path) {
    const int slot = DropSlotOfControl(controlId);
    if (!mtl || slot < 0 || !path) return -1;
    BitmapTex* texture = NewDefaultBitmapTex();
    if (!texture) return -1;
    MSTR fileName;
    SplitFilename(MSTR(path), nullptr, &fileName, nullptr);
    texture->SetMapName(path, false);
    texture->SetName(fileName);
    mtl->SetSubTexmap(slot, texture);
    return slot;
}

int ReceiveDroppedFiles(LumraMtl* mtl, HWND panel, HDROP drop) {
    POINT point{0, 0};
    DragQueryPoint(drop, &point);
    const std::wstring path = DroppedPath(drop, 0);
    HWND control = RealChildWindowFromPoint(panel, point);
    const int controlId = control ? GetDlgCtrlID(control) : 0;
    const int slot = path.empty() ? -1 : AssignDroppedFile(mtl, controlId, path.c_str());
    DragFinish(drop);
    return slot;
}

#include "ui/lumra_dlg_proc.h"

#include "material/lumra_mtl.h"
#include "material/param_ids.h"
#include "ui/map_drop.h"
#include "ui/resource.h"

#include "windows.h"

#include "shellapi.h"

INT_PTR LumraMtlDlgProc::DlgProc(TimeValue, IParamMap2* map, HWND window, UINT msg, WPARAM wParam,
                                 LPARAM /*lParam*/) {
    hWnd = window;
    // The parameter map keeps itself in the panel's user data; until it has, the
    // panel is not ready for anything but its opening.
    const bool mapReady = GetWindowLongPtrW(window, GWLP_USERDATA) != 0;
    if (!mapReady && msg != WM_INITDIALOG) return FALSE;

    switch (msg) {
        case WM_INITDIALOG:
            for (int button : kDropTargetIds) DragAcceptFiles(GetDlgItem(window, button), TRUE);
            FollowReflectanceModel(map);
            return TRUE;
        case WM_DESTROY:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_REFLECT_BRDF && HIWORD(wParam) == CBN_SELCHANGE)
                FollowReflectanceModel(map);
            return TRUE;
        case WM_DROPFILES:
            ReceiveDroppedFiles(mtl, window, reinterpret_cast<HDROP>(wParam));
            return TRUE;
    }
    return FALSE;
}

void LumraMtlDlgProc::FollowReflectanceModel(IParamMap2* map) {
    if (!mtl || !map) return;
    const int brdf = mtl->GetReflectBrdf();
    mtl->cached.reflectBrdf = brdf;
    const BOOL anisotropic = brdf == kBrdfBeckmann || brdf == kBrdfTrggx;
    map->Enable(mtl_reflect_anisotropy, anisotropic, 0);
    map->Enable(mtl_reflect_rotation, anisotropic, 0);
}

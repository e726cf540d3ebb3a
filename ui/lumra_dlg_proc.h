// The material's own behaviour in its panel, beside what the host's parameter map
// does: the anisotropy controls follow the reflectance model, and map buttons take
// image files dropped on them (map_drop.h).
#pragma once

#include "iparamm2.h"

class LumraMtl;

class LumraMtlDlgProc : public ParamMap2UserDlgProc {
public:
    explicit LumraMtlDlgProc(LumraMtl* mtl) : mtl(mtl) {}

    INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                    LPARAM lParam) override;
    void DeleteThis() override { delete this; }

    LumraMtl* Material() const { return mtl; }
    HWND Window() const { return hWnd; }

private:
    // Anisotropy and rotation mean something only to the Beckmann and TRGGX models:
    // their spinners are greyed for the others.
    void FollowReflectanceModel(IParamMap2* map);

    LumraMtl* const mtl;  // not owned; the panel's material for the panel's whole life
    HWND hWnd = nullptr;
};

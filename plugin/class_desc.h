// The class descriptor of the material: its identity for the host and the
// material browser, and its creation.
#pragma once

#include "IMaterialBrowserEntryInfo.h"
#include "iparamb2.h"

class LumraMtlClassDesc : public ClassDesc2, public IMaterialBrowserEntryInfo {
public:
    // Offers the preview shader's statistics as an interface of the class.
    LumraMtlClassDesc();

    // ClassDesc
    int IsPublic() override { return TRUE; }
    void* Create(BOOL loading = FALSE) override;
    const MCHAR* ClassName() override;
    SClass_ID SuperClassID() override;
    Class_ID ClassID() override;
    const MCHAR* Category() override;
    const MCHAR* InternalName() override { return L"lumraMaterial"; }
    HINSTANCE HInstance() override;
    DWORD InitialRollupPageState() override { return 0x7fffffff; }

    // One lookup answers for both the descriptor and its browser part.
    FPInterface* GetInterface(Interface_ID id) override;
    using ClassDesc2::GetInterface;

    // IMaterialBrowserEntryInfo
    const MCHAR* GetEntryName() const override;
    const MCHAR* GetEntryCategory() const override;
    Bitmap* GetEntryThumbnail() const override { return nullptr; }
};

extern LumraMtlClassDesc lumraMaterialClassDesc;
// The declaration of the material's parameter block, "parameters".
extern ParamBlockDesc2 lumraParamBlockDesc;

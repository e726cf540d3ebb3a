// What a material class tells the host's material browser about itself.
#pragma once

#include "baseinterface.h"
#include "strbasic.h"

class Bitmap;

#define IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE Interface_ID(0x5e19378b, 0x55535e13)

class IMaterialBrowserEntryInfo : public FPInterface {
public:
    Interface_ID GetID() override { return IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE; }
    BaseInterface* GetInterface(Interface_ID id) override {
        if (id == IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE) return this;
        return FPInterface::GetInterface(id);
    }
    FPInterfaceDesc* GetDesc() override { return nullptr; }

    virtual const MCHAR* GetEntryName() const = 0;
    virtual const MCHAR* GetEntryCategory() const = 0;
    virtual bool IsStockObject() const { return false; }
    virtual Bitmap* GetEntryThumbnail() const = 0;
    virtual bool HasEntryThumbnail() const { return false; }
};

// Interface servers and function-publishing interfaces.
#pragma once

#include "maxtypes.h"

class BaseInterface;

// Anything that can be asked for an interface by id.
class CoreExport InterfaceServer : public MaxHeapOperators {
public:
    virtual ~InterfaceServer();
    virtual BaseInterface* GetInterface(Interface_ID id);
};

class CoreExport BaseInterface : public InterfaceServer {
public:
    enum LifetimeType { noRelease, immediateRelease, wantsRelease, serverControl };

    ~BaseInterface() override;
    BaseInterface* GetInterface(Interface_ID id) override;
    virtual Interface_ID GetID();
    virtual LifetimeType LifetimeControl() { return noRelease; }
    virtual BaseInterface* AcquireInterface() { return this; }
    virtual void ReleaseInterface() {}
    virtual void DeleteInterface() {}
};

class FPInterfaceDesc;

// A function-publishing interface. The stand-in publishes no functions; only
// identity, lookup and lifetime are modelled.
class CoreExport FPInterface : public BaseInterface {
public:
    ~FPInterface() override;
    virtual FPInterfaceDesc* GetDesc() = 0;
};

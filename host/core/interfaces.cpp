#include "baseinterface.h"

InterfaceServer::~InterfaceServer() = default;
BaseInterface* InterfaceServer::GetInterface(Interface_ID) { return nullptr; }

BaseInterface::~BaseInterface() = default;
BaseInterface* BaseInterface::GetInterface(Interface_ID id) {
    return id == GetID() ? this : nullptr;
}
Interface_ID BaseInterface::GetID() { return Interface_ID(0, 0); }

FPInterface::~FPInterface() = default;

// IShadeStatistics: how much work preview shading has done, as a host reads it.
// The material's class descriptor offers it as an interface, found by the id
// below, so that a host can report the mean length of the shader's progressive
// loop: shading calls and iterations of their loops, counted over every thread.
#pragma once

#include "baseinterface.h"

#include <cstdint>

#define LUMRA_SHADE_STATISTICS_INTERFACE Interface_ID(0x4C756D72, 0x53686164)

class IShadeStatistics : public FPInterface {
public:
    Interface_ID GetID() override { return LUMRA_SHADE_STATISTICS_INTERFACE; }
    FPInterfaceDesc* GetDesc() override { return nullptr; }
    virtual std::uint64_t Calls() = 0;
    virtual std::uint64_t Iterations() = 0;
    virtual void Reset() = 0;
};

// The compiled resources of one module: the bytes of the .res file that the Windows
// resource compiler made from its script, embedded in the module by the build (see
// lumra_target_resources). Its start-up code hands them to the host, which serves
// them as Windows serves a module's resources.
#pragma once

#include <cstddef>

namespace winhost {

struct ResourceData {
    const unsigned char* bytes;
    std::size_t size;
};

}  // namespace winhost

// The name under which a module's generated resource source defines its data.
#define WINHOST_RESOURCE_SYMBOL winhost_module_resources

extern "C" __attribute__((visibility("hidden")))
const winhost::ResourceData WINHOST_RESOURCE_SYMBOL;

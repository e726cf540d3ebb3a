#include "plugin/string_table.h"

#include "windows.h"

HINSTANCE hInstance = nullptr;

namespace {
constexpr int kStringBufferLength = 512;
MCHAR stringBuffer[kStringBufferLength];
}  // namespace

const MCHAR* GetString(int id) {
    if (!hInstance) return nullptr;
    return LoadStringW(hInstance, static_cast<UINT>(id), stringBuffer, kStringBufferLength)
               ? stringBuffer
               : nullptr;
}

// A program that links a module's objects: its entry routine, run once by the
// stand-in's loader, and its resources (the plug-in's own resource script).
#include "loader.h"

#include "windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct EntryCall {
    HINSTANCE instance;
    DWORD reason;
};
std::vector<EntryCall> entryCalls;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    entryCalls.push_back({instance, reason});
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

TEST(LinkedModule, AttachRunsTheEntryRoutineOnceWithTheProgramHandle) {
    ASSERT_TRUE(winhost::AttachLinkedModules());
    ASSERT_TRUE(winhost::AttachLinkedModules());
    ASSERT_EQ(entryCalls.size(), 1u);
    EXPECT_EQ(entryCalls[0].reason, static_cast<DWORD>(DLL_PROCESS_ATTACH));
    EXPECT_EQ(entryCalls[0].instance, GetModuleHandleW(nullptr));

    winhost::ModuleInfo info;
    ASSERT_TRUE(winhost::QueryModule(entryCalls[0].instance, &info));
    EXPECT_TRUE(info.linked);
    EXPECT_TRUE(info.attached);
    EXPECT_TRUE(info.threadCallsDisabled);
    EXPECT_EQ(info.stringCount, 75u);
}

#include "memory_budget.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// MemAvailable of /proc/meminfo, or 0 when the system does not say.
std::uint64_t SystemAvailableBytes() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib >> unit) {
        if (key == "MemAvailable:") return kib * 1024;
    }
    return 0;
}

// The process's mapped address space, from /proc/self/statm (in pages).
std::uint64_t MappedBytes() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

std::string FormatBytes(std::uint64_t bytes) {
    char text[32];
    const double gb = static_cast<double>(bytes) / 1e9;
    if (gb >= 1.0)
        std::snprintf(text, sizeof text, "%.1f GB", gb);
    else
        std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

bool MemoryAvailableFor(std::uint64_t bytes, std::string* why) {
    const std::uint64_t system = SystemAvailableBytes();
    if (system > 0 && bytes > system) {
        *why = "more than the " + FormatBytes(system) + " this machine has available";
        return false;
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const std::uint64_t mapped = MappedBytes();
        const std::uint64_t room = limit.rlim_cur > mapped ? limit.rlim_cur - mapped : 0;
        if (bytes > room) {
            *why = "more than the " + FormatBytes(room) + " left under this process's limit";
            return false;
        }
    }
    return true;
}

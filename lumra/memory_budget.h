// Whether the work about to start can have the memory it needs: checked before a
// large render begins, so that it is refused with its size named rather than
// ended by the system halfway.
#pragma once

#include <cstdint>
#include <string>

// False, with the reason, when `bytes` more than the memory available to this
// process: the system's available memory, and the address-space limit (ulimit -v)
// less what the process maps already.
bool MemoryAvailableFor(std::uint64_t bytes, std::string* why);

// "1.5 GB"
std::string FormatBytes(std::uint64_t bytes);

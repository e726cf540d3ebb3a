// Reading a whole file that must be an ordinary file: a directory, a device or a
// fifo is refused at once (never read without end, never waited on), and so is a
// file larger than the caller allows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The path is UTF-8. On failure `error` says why, with the system's reason.
bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes,
                     std::vector<unsigned char>& bytes, std::string& error);

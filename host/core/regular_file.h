// Reading and replacing the host's files (scenes, pictures) so that a careless or
// hostile file system cannot make a load hang or exhaust memory, nor make a save
// destroy work or write where it was not asked to. Paths are UTF-8.
#pragma once

#include "maxexport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads a whole file that must be an ordinary file: a directory, a device or a
// fifo is refused at once (never read without end, never waited on), and so is a
// file larger than the caller allows. On failure `error` says why, with the
// system's reason.
CoreExport bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes,
                                std::vector<unsigned char>& bytes, std::string& error);

// Replaces the content of the file at `path` with `size` bytes, all at once: readers
// and a power cut see either the previous content or the new one, never a mix or an
// empty file, and a failed replace leaves the previous file as it was.
// - A symbolic link (or a chain of them, relative or absolute, even one naming a file
//   that does not exist yet) is followed: the file it leads to is replaced and the
//   link stays a link.
// - A target that exists and is not a regular file (a directory, device, fifo or
//   socket), or is read-only (no write permission for this process, or none for
//   anyone), is refused before anything is written.
// - The new content goes to a temporary file created exclusively, under an
//   unpredictable name, in the target's folder; it is flushed to the disk, renamed
//   over the target, and the folder is flushed. The temporary file is removed on
//   every failure.
// - The replaced file keeps the mode of the previous one, and its owner and group
//   where this process may set them; a new file gets the mode an ordinary create
//   would give it (0666 less the umask).
// Saves of one file from several threads or processes at once each stay whole: the
// file holds the last one renamed.
// On failure `error` names the file (and the one a link leads to) and gives the
// system's reason.
CoreExport bool ReplaceRegularFile(const std::string& path, const void* data, std::size_t size,
                                   std::string& error);

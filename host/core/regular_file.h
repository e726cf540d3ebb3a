// Reading and replacing the host's files (scenes, pictures) so that a careless or
// hostile file system cannot make a load hang or exhaust memory, nor make a save
// destroy work or write where it was not asked to. Paths are UTF-8.
#pragma once

#include "maxexport.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a reader expects a file to start with, checked before the rest is read, so
// that a large file of another kind costs nothing: `check` sees the first `bytes`
// bytes (fewer when the file is shorter) and answers an empty string when they may
// begin such a file, or the reason they cannot ("not a scene file", say).
struct FileSignature {
    std::size_t bytes = 0;
    std::function<std::string(const unsigned char* head, std::size_t size)> check;
};

// A file that claims more than this many times the bytes the disk holds for it (a
// sparse file: mostly holes that read as zeros), and more than kSparseAllowance, is
// refused before it is read: reading it would cost memory and time out of all
// proportion to what it holds. File systems that compress store a saved file in
// fewer blocks than its length, but not this much fewer; holes are confirmed before
// a file is refused.
constexpr std::uint64_t kMaxSparseRatio = 8;
constexpr std::uint64_t kSparseAllowance = std::uint64_t(1) << 20;

// Reads a whole file that must be an ordinary file: a directory, a device or a
// fifo is refused at once (never read without end, never waited on), and so are a
// file larger than the caller allows, a sparse one (above) and, when a signature is
// given, one whose first bytes it refuses. On failure `error` says why, with the
// system's reason.
CoreExport bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes,
                                std::vector<unsigned char>& bytes, std::string& error,
                                const FileSignature* signature = nullptr);

#ifndef _WIN32
// Opens, for reading, a file that ReadRegularFile would read, with the same checks
// (the signature's first bytes included) but without reading the rest: for a reader
// that takes a large file a part at a time (with pread). Answers the descriptor,
// which the caller closes, and the file's size; -1 with the reason on failure.
CoreExport int OpenRegularFile(const std::string& path, std::uint64_t maxBytes, std::uint64_t* size,
                               std::string& error, const FileSignature* signature = nullptr);
#endif

// Replaces the content of the file at `path` with `size` bytes, all at once: readers
// and a power cut see either the previous content or the new one, never a mix or an
// empty file, and a failed replace leaves the previous file as it was.
// - A symbolic link (or a chain of them, relative or absolute, even one naming a file
//   that does not exist yet) is followed: the file it leads to is replaced and the
//   link stays a link. As the system's protected links rule has it, a link in a
//   sticky, world-writable folder (such as /tmp) is followed only when it belongs to
//   this user or to the folder's owner: another user may have planted it.
// - A target that exists and is not a regular file (a directory, device, fifo or
//   socket), or is read-only (no write permission for this process, or none for
//   anyone), is refused before anything is written. So is content larger than the
//   process may write to a file (`ulimit -f`): "File too large".
// - The new content goes to a temporary file created exclusively in the target's
//   folder, named ".NAME.saving-PID-RANDOM" and locked while the save runs; it is
//   flushed to the disk, renamed over the target, and the folder is flushed. The
//   temporary file is removed on every failure, and on SIGINT, SIGTERM and SIGHUP
//   where RemoveSaveFilesOnSignals was called. Each save first removes the
//   temporary files that earlier saves of the same file left when they were killed
//   (of this user, their process gone or untouched for an hour, and nobody holding
//   their lock); it never touches any other name.
// - The replaced file keeps the mode of the previous one, its access control list
//   and other extended attributes (the save is refused when they cannot be kept),
//   and its owner and group where this process may set them; a new file gets the
//   mode an ordinary create would give it (0666 less the umask, or the folder's
//   default access control list).
// Saves of one file from several threads or processes at once each stay whole: the
// file holds the last one renamed.
// On failure `error` names the file (and the one a link leads to, or the folder when
// the folder is the reason) and gives the system's reason.
CoreExport bool ReplaceRegularFile(const std::string& path, const void* data, std::size_t size,
                                   std::string& error);

// For programs that save: SIGINT, SIGTERM and SIGHUP, where they are left at their
// default (ending the program), first remove the temporary files of the saves in
// flight, then end the program as they would have; SIGXFSZ is ignored, so that a
// write past the size limit fails with "File too large" instead of killing the
// program. Signals the program handles or ignores itself are left alone. Does
// nothing on systems without such signals.
CoreExport void RemoveSaveFilesOnSignals();

// Removes the temporary files of every save in flight. Safe to call from a signal
// handler (for a program that handles SIGINT itself and then ends); the saves in
// flight then fail.
CoreExport void RemoveFilesOfSavesInFlight() noexcept;

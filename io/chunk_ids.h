// The material's chunks in scene files. These ids are a file format: they never
// change.
#pragma once

#include "windows.h"

enum LumraChunkId : USHORT {
    // The host's material header (name, flags, G-buffer id), in the host's format.
    kMtlHeaderChunk = 0x4000,
    // The raw block of the cached and retired values (raw_values.h).
    kRawValuesChunk = 0x5000,
};

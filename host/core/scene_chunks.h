// The chunks of a scene file and its magic: the one description of the layout that
// scene_file.h documents, shared by the whole-file loader and saver and by readers
// that take a scene file an object at a time.
#pragma once

#include <cstdint>

enum SceneChunk : std::uint16_t {
    kHeaderChunk = 0x2000,   // magic, format version (u32), object count (u32)
    kRootsChunk = 0x2010,    // root count (u32), then one object index (i32) each
    kObjectsChunk = 0x2020,  // one kObjectChunk per object, in index order
    kObjectChunk = 0x2030,   // kClassChunk, kDataChunk, kRefsChunk
    kClassChunk = 0x2031,    // super class id, class id part A, part B (u32 each)
    kDataChunk = 0x2032,     // the object's own chunks
    kRefsChunk = 0x2033,     // reference count (u32), then one object index (i32, -1: none) each
};

inline constexpr char kSceneMagic[8] = {'L', 'U', 'M', 'R', 'A', 'S', 'C', 'N'};

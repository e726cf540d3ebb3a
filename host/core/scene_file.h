// Scene files of this host: a chunk stream (scene_stream.h) holding a whole
// reference graph. Every object is stored once, with its class, its own chunks
// (written by its Save) and the list of objects it references; the roots are the
// objects the scene was saved for, in order (a scene's materials, say).
//
//   0x2000 header     "LUMRASCN", format version (u32), object count (u32)
//   0x2010 roots      root count (u32), then one object index (i32) per root
//   0x2020 objects    container of one 0x2030 container per object, in index order:
//     0x2031 class    super class id, class id part A, part B (u32 each)
//     0x2032 data     the object's own chunks
//     0x2033 refs     reference count (u32), then one object index (i32, -1: none) each
#pragma once

#include "ref.h"
#include "regular_file.h"
#include "scene_stream.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class DllDir;

constexpr std::uint32_t kSceneFormatVersion = 1;

// The largest scene file that loading reads: a larger one is refused before it is
// read (a scene of 10,000 materials with maps takes about 20 MB).
constexpr std::uint64_t kMaxSceneFileBytes = std::uint64_t(4) << 30;

// The longest chain of references a scene may hold (a material, its map, that map's
// map...): a file that nests deeper is refused before any reference is restored, since
// the host walks such chains one call per link. Real scenes nest a few dozen deep.
constexpr std::uint32_t kMaxReferenceDepth = 1000;

// The host's own classes that scene files can hold (parameter blocks of both
// editions, the bitmap texture and its coordinates), found as plug-in classes are.
class CoreExport ClassDirectory {
public:
    void Add(ClassDesc* cd);
    ClassDesc* FindClass(SClass_ID superClassID, const Class_ID& classID) const;
    const std::vector<ClassDesc*>& Classes() const { return classes_; }

private:
    std::vector<ClassDesc*> classes_;
};
CoreExport ClassDirectory& HostClassDirectory();

// The host's own classes first, then those of the loaded plug-ins (when given).
CoreExport ClassLookup SceneClassLookup(const DllDir* plugins);
// The host's own classes first, then the given ones (of plug-ins linked into the
// program rather than loaded).
CoreExport ClassLookup SceneClassLookup(std::vector<ClassDesc*> pluginClasses);

// Writes the roots and everything they reference. `classes` are those a loader of
// the file will know: an object of any other class is refused before anything is
// written, since the file could not be loaded again. False, with the reason, when an
// object's class is unknown, its Save fails or a write fails; the bytes are then
// incomplete.
CoreExport bool WriteScene(const std::vector<ReferenceTarget*>& roots, const ClassLookup& classes,
                           std::vector<unsigned char>* bytes, std::string* error,
                           std::size_t capacity = SIZE_MAX);

// Writes a scene file as ReplaceRegularFile (regular_file.h) replaces a file: the
// whole scene or nothing, through links, keeping the previous file's permissions; a
// failed save (an object WriteScene refuses among them) leaves the previous file as
// it was. The reason of a failure names the file and says what the system said.
CoreExport bool SaveSceneFile(const std::filesystem::path& path,
                              const std::vector<ReferenceTarget*>& roots,
                              const ClassLookup& classes, std::string* error,
                              std::size_t capacity = SIZE_MAX);

struct LoadedScene {
    // The roots, each owned by the caller (delete with DeleteMe); whatever they
    // reference lives as long as they reference it. A root that another object of the
    // file references is not listed: it lives with that object.
    std::vector<ReferenceTarget*> roots;
    // What loading did that the user may want to know (upgraded layouts).
    std::vector<std::string> notes;
};

// Reads a scene: creates each object through its class descriptor with the loading
// flag, lets it read its chunks, restores the references, then runs the post-load
// callbacks; objects that nothing references afterwards (and are no root) are
// deleted. On failure nothing that was created survives and error says why.
CoreExport bool ReadScene(const unsigned char* data, std::size_t size, const ClassLookup& classes,
                          LoadedScene* scene, std::string* error);
// Loads a scene file: a regular file of at most kMaxSceneFileBytes (anything else is
// refused, see ReadRegularFile), then as ReadScene. Never throws.
CoreExport bool LoadSceneFile(const std::filesystem::path& path, const ClassLookup& classes,
                              LoadedScene* scene, std::string* error);
// What a scene file starts with (its header chunk's id and magic), for a reader of
// scene files that opens them itself.
CoreExport const FileSignature& SceneFileSignature();

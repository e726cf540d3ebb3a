// Small scene files made by the project's own code, one of each kind that users'
// scenes come in: a default material, maps shared between materials, blocks of both
// earlier layouts, a block shared between materials (as only a damaged or hostile
// file holds one), an object of every class that can be saved, and names with
// control characters. They start the fuzzer's corpus, are the command-line tests'
// fixtures and the damaged-file tests' starting points.
#pragma once

#include "scene_stream.h"

#include <string>
#include <vector>

struct SampleScene {
    std::string name;  // a file name without extension: "shared_maps"
    std::vector<unsigned char> bytes;
};

// The classes that a host with the plug-in linked into the program knows.
ClassLookup LinkedSceneClasses();

// Every sample; the linked modules must be attached. False, with the reason, when
// one could not be written.
bool MakeSampleScenes(std::vector<SampleScene>* scenes, std::string* error);

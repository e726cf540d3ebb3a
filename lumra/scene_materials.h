// Scene files from the command-line host: materials saved with everything they
// reference, and loaded again with the classes of the loaded plug-ins.
#pragma once

#include "plugin_host.h"

#include <string>
#include <vector>

struct SceneMaterials {
    std::vector<MtlHandle> materials;  // in the order they were saved
    std::vector<std::string> notes;    // what loading did, e.g. an upgraded block
};

// Loads every material of a scene file. Objects of the file that are not materials
// are not kept. False with the reason when the file cannot be read.
bool LoadSceneMaterials(const PluginHost& host, const std::string& path, SceneMaterials* scene,
                        std::string* error);

// Saves the materials (and their maps and blocks) as a scene file that the host's
// classes and the loaded plug-ins' can load again; a failed save leaves any previous
// file as it was.
bool SaveSceneMaterials(const PluginHost& host, const std::string& path,
                        const std::vector<Mtl*>& materials, std::string* error);

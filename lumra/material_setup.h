// The steps every command that makes a material shares: reading its settings,
// loading the plug-ins, making the material and changing it as a script would.
#pragma once

#include "param_text.h"
#include "plugin_host.h"

#include <string>
#include <vector>

// Reads "NAME=VALUE" (or "NAME=FILE") texts; false with the reason for the first bad one.
bool ParseSettings(const std::vector<std::string>& texts, std::vector<Setting>* settings,
                   std::string* error);

// Loads the plug-ins and finds the Lumra material's class; false with the reason.
bool LoadLumraMaterialClass(PluginHost& host, const HostOptions& options, ClassDesc** cd,
                            std::string* error);

// Sets the parameters, then the maps, of the material's block at time 0. Values kept
// within their range are reported on standard error when `warn` is set.
bool ApplyMaterialSettings(Mtl* mtl, ClassDesc* cd, const std::vector<Setting>& settings,
                           const std::vector<Setting>& maps, bool warn, std::string* error);

// A new material of the class, with the settings and maps applied.
MtlHandle NewMaterial(const PluginHost& host, ClassDesc* cd, const std::vector<Setting>& settings,
                      const std::vector<Setting>& maps, std::string* error);

// The commands of the lumra host application. Each returns the process's exit code.
#pragma once

#include "plugin_host.h"
#include "param_text.h"

#include <string>
#include <vector>

struct ShowOptions {
    std::vector<std::string> settings;  // NAME=VALUE
};

struct SaveOptions {
    std::string file;
    std::vector<std::string> settings;  // NAME=VALUE
    std::vector<std::string> maps;      // NAME=FILE
};

struct LoadOptions {
    std::string file;
};

int RunClasses(const HostOptions& host);
int RunShow(const HostOptions& host, const ShowOptions& options);
int RunSave(const HostOptions& host, const SaveOptions& options);
int RunLoad(const HostOptions& host, const LoadOptions& options);

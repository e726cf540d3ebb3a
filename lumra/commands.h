// The commands of the lumra host application. Each returns the process's exit code.
#pragma once

#include "plugin_host.h"
#include "param_text.h"

#include <string>
#include <vector>

struct ShowOptions {
    std::vector<std::string> settings;  // NAME=VALUE
};

int RunClasses(const HostOptions& host);
int RunShow(const HostOptions& host, const ShowOptions& options);

// The commands of the lumra host application. Each returns the process's exit code.
#pragma once

#include "param_text.h"
#include "plugin_host.h"

#include <string>
#include <vector>

struct SampleSlotBackground;

struct ShowOptions {
    std::vector<std::string> settings;  // NAME=VALUE
};

// More render threads than this would only add overhead on any machine.
constexpr int kMaxRenderThreads = 256;

struct RenderOptions {
    std::vector<std::string> settings;  // NAME=VALUE
    std::vector<std::string> maps;      // NAME=FILE
    std::vector<std::string> drops;     // X,Y=FILE, dropped on the material's panel
    int size = 256;
    std::string background = "checker";
    int threads = 0;  // every core
    std::string output = "preview.png";
    bool sheet = false;
    std::string scene;  // render a material of this scene file instead of a new one
    int material = 1;   // which one, from 1
};

struct ThumbnailOptions {
    std::string library;  // the scene file
    std::string output;   // the folder
    int size = 128;
    std::string background = "checker";
    int threads = 0;        // every core
    std::string materials;  // "A-B", from 1; empty: all
    std::string cache;      // the cache folder; empty: none
};

struct PanelOptions {
    std::vector<std::string> settings;  // NAME=VALUE
    std::vector<std::string> maps;      // NAME=FILE
    std::vector<std::string> drops;     // X,Y=FILE
    std::string output;                 // the picture, PNG
};

struct SaveOptions {
    std::string file;
    std::vector<std::string> settings;  // NAME=VALUE
    std::vector<std::string> maps;      // NAME=FILE
};

struct LoadOptions {
    std::string file;
};

// "checker" or a colour R,G,B: the slot's background; false with the reason.
bool ParseBackground(const std::string& text, SampleSlotBackground* background, std::string* error);

struct ServeOptions {
    int port = 8265;
    std::string bind = "127.0.0.1";
    std::string scene;  // edit a material of this scene file instead of a new one
    int material = 1;   // which one, from 1
    std::string save;   // where Save writes (default: the scene, else material.lsc)
    int size = 256;
    std::string background = "checker";
    int threads = 0;
    std::size_t maxUploadMiB = 64;
    bool timing = false;
};

int RunClasses(const HostOptions& host);
int RunShow(const HostOptions& host, const ShowOptions& options);
int RunRender(const HostOptions& host, const RenderOptions& options);
int RunThumbnails(const HostOptions& host, const ThumbnailOptions& options);
int RunPanel(const HostOptions& host, const PanelOptions& options);
int RunSave(const HostOptions& host, const SaveOptions& options);
int RunLoad(const HostOptions& host, const LoadOptions& options);
int RunServe(const HostOptions& host, const ServeOptions& options);

// lumra thumbnails: every material of a library drawn in its sample slot, one PNG
// each, with index.json and labelled contact sheets; unchanged materials copied
// from a cache. The library is loaded once; materials are shared out among the
// threads, each drawing whole slots, and every picture equals what 'render'
// draws of that material alone. The library is read one material at a time
// (library_reader.h): a material's objects (and its textures' pictures) are made
// when a thread takes it and go as soon as its thumbnail is written, and each
// contact sheet is written as soon as its cells are in, so that memory does not
// grow with the library beyond a few hundred bytes a material.
#include "commands.h"
#include "content_hash.h"
#include "image_file.h"
#include "label_font.h"
#include "library_reader.h"
#include "material_setup.h"
#include "png_write.h"
#include "safe_file_name.h"
#include "text.h"
#include "thumbnail_cache.h"

#include "material/ilumramtl.h"

#include "bitmaptex.h"
#include "host_paths.h"
#include "regular_file.h"
#include "sample_slot.h"
#include "scene_file.h"

#include <dlfcn.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace {

namespace fs = std::filesystem;

// What the cache keys start with: a new layout of the keys changes it.
constexpr const char* kKeyFormat = "lumra thumbnail key 1";
// Contact sheets: cells of at most kSheetCell pixels, kSheetColumns a row, at
// most kSheetCells a sheet.
constexpr int kSheetCell = 128;
constexpr int kSheetColumns = 16;
constexpr int kSheetCells = 256;
// Texture files larger than this are not read for their hash.
constexpr std::uint64_t kMaxTextureBytes = std::uint64_t(4) << 30;

struct Range {
    int first = 1, last = 0;  // from 1, inclusive
};

bool ParseNumber(const std::string& text, int* value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    *value = std::atoi(text.c_str());
    return true;
}

// "A-B", "A-" (to the end) or "A"; a range past the end stops at the last
// material, as the last job of a job array asks.
bool ParseRange(const std::string& text, int count, Range* range, std::string* error) {
    range->first = 1;
    range->last = count;
    if (text.empty()) return true;
    const std::size_t dash = text.find('-');
    const std::string a = text.substr(0, dash);
    const std::string b = dash == std::string::npos ? a : text.substr(dash + 1);
    if (!ParseNumber(a, &range->first) || (!b.empty() && !ParseNumber(b, &range->last)) ||
        range->first < 1 || range->last < range->first) {
        *error = "--materials: '" + text + "' is not a range A-B of materials counted from 1";
        return false;
    }
    if (range->first > count) {
        *error = "--materials " + text + ": the library holds " + std::to_string(count) +
                 " material" + (count == 1 ? "" : "s");
        return false;
    }
    range->last = std::min(range->last, count);
    return true;
}

// A folder that exists (made if need be) and takes new files: checked by
// writing one, before any work.
bool PrepareFolder(const std::string& folder, const char* what, std::string* error) {
    const fs::path path = FileSystemPath(FromUtf8(folder));
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_directory(status)) {
        *error = std::string(what) + " \"" + folder + "\" is not a folder";
        return false;
    }
    if (!fs::exists(status) && !fs::create_directories(path, ec) && ec) {
        *error = std::string("cannot make the ") + what + " \"" + folder + "\": " + ec.message();
        return false;
    }
    std::string probe = folder + "/.lumra-write-test-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        *error = std::string("cannot write in the ") + what + " \"" + folder +
                 "\": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string PathOf(const MCHAR* hostName) {
    return Utf8Path(FileSystemPath(ResolveHostPath(hostName)));
}

// The hash of a file's bytes, or of the reason it cannot be read.
struct FileDigest {
    std::string hash;
    std::string error;  // empty when the file was read
};

FileDigest DigestFile(const std::string& path) {
    FileDigest d;
    std::vector<unsigned char> bytes;
    if (ReadRegularFile(path, kMaxTextureBytes, bytes, d.error))
        d.hash = HashHex(bytes.data(), bytes.size());
    else
        d.hash = "unreadable";
    return d;
}

// What the pictures depend on besides the materials: the loaded plug-in modules,
// the host library that shades the slot and reads the textures, and the preview
// environment.
std::string ProgramHash(const PluginHost& host) {
    ContentHash h;
    for (int i = 0; i < host.Dlls().Count(); ++i) {
        const DllDesc& dll = host.Dlls()[i];
        h.AddField(std::to_string(dll.version));
        h.AddField(DigestFile(Utf8Path(FileSystemPath(dll.path))).hash);
    }
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&RenderSampleSlot), &info) && info.dli_fname)
        h.AddField(DigestFile(info.dli_fname).hash);
    h.AddField(DigestFile(PathOf(L"c:\\[Lumra]\\pluginFiles\\material\\EnvMatEdit.hdr")).hash);
    return h.Hex();
}

// Texture files hashed once a run, whichever thread asks first.
class TextureDigests {
public:
    FileDigest Get(const std::string& path) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (auto it = digests_.find(path); it != digests_.end()) return it->second;
        }
        FileDigest d = DigestFile(path);
        std::lock_guard<std::mutex> lock(mutex_);
        return digests_.emplace(path, std::move(d)).first->second;
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, FileDigest> digests_;
};

// The bitmap textures a material draws from, in reference order.
void CollectTextures(ReferenceMaker* maker, std::vector<BitmapTex*>* textures,
                     std::unordered_set<ReferenceMaker*>* seen) {
    if (!maker || !seen->insert(maker).second) return;
    if (auto* bitmap = dynamic_cast<BitmapTex*>(maker)) textures->push_back(bitmap);
    for (int i = 0; i < maker->NumRefs(); ++i)
        CollectTextures(maker->GetReference(i), textures, seen);
}

// Contact sheets of the thumbnails, in index order: sheet.png, sheet-2.png...
// Each sheet is kept only until its cells are in.
class ContactSheets {
public:
    ContactSheets(std::string folder, int count, int thumbnail)
        : folder_(std::move(folder)),
          count_(count),
          thumbnail_(thumbnail),
          cell_(std::min(thumbnail, kSheetCell)) {}

    static std::string Name(int sheet) {
        return sheet == 0 ? "sheet.png" : "sheet-" + std::to_string(sheet + 1) + ".png";
    }
    int Count() const { return (count_ + kSheetCells - 1) / kSheetCells; }

    // The cell of `position` (from 0 within the range): the thumbnail's 8-bit RGB,
    // or a blank cell when `rgb` is empty. Writes the sheet once it is full.
    bool Add(int position, const std::vector<unsigned char>& rgb, const std::string& label,
             std::string* error) {
        std::vector<unsigned char> cell = Cell(rgb, label);
        std::lock_guard<std::mutex> lock(mutex_);
        const int sheet = position / kSheetCells;
        const int first = sheet * kSheetCells;
        const int cells = std::min(kSheetCells, count_ - first);
        const int columns = std::min(kSheetColumns, cells);
        Page& page = pages_[sheet];
        if (page.rgb.empty()) {
            page.width = columns * cell_;
            page.height = (cells + columns - 1) / columns * cell_;
            page.rgb.assign(static_cast<std::size_t>(page.width) * page.height * 3, 24);
        }
        const int k = position - first;
        const int x0 = k % columns * cell_, y0 = k / columns * cell_;
        for (int y = 0; y < cell_; ++y)
            std::copy_n(
                cell.begin() + static_cast<std::ptrdiff_t>(y) * cell_ * 3, cell_ * 3,
                page.rgb.begin() + (static_cast<std::ptrdiff_t>(y0 + y) * page.width + x0) * 3);
        if (++page.filled < cells) return true;
        const bool written =
            WritePng(folder_ + "/" + Name(sheet), page.width, page.height, page.rgb.data(), error);
        pages_.erase(sheet);
        return written;
    }

private:
    struct Page {
        int width = 0, height = 0, filled = 0;
        std::vector<unsigned char> rgb;
    };

    // The thumbnail at the cell's size (the mean of the pixels each cell pixel
    // covers), labelled at its foot.
    std::vector<unsigned char> Cell(const std::vector<unsigned char>& rgb,
                                    const std::string& label) const {
        const int n = cell_, s = thumbnail_;
        std::vector<Color> pixels(static_cast<std::size_t>(n) * n, Color(0.1f, 0.1f, 0.1f));
        if (!rgb.empty()) {
            for (int cy = 0; cy < n; ++cy) {
                for (int cx = 0; cx < n; ++cx) {
                    const int xa = cx * s / n, xb = std::max(xa + 1, (cx + 1) * s / n);
                    const int ya = cy * s / n, yb = std::max(ya + 1, (cy + 1) * s / n);
                    float sum[3] = {0.0f, 0.0f, 0.0f};
                    for (int y = ya; y < yb; ++y)
                        for (int x = xa; x < xb; ++x)
                            for (int c = 0; c < 3; ++c)
                                sum[c] += rgb[(static_cast<std::size_t>(y) * s + x) * 3 + c];
                    const float area = static_cast<float>((xb - xa) * (yb - ya)) * 255.0f;
                    pixels[static_cast<std::size_t>(cy) * n + cx] =
                        Color(sum[0] / area, sum[1] / area, sum[2] / area);
                }
            }
        }
        std::string text = label;
        while (!text.empty() && LabelWidth(text) > n - 4) text.pop_back();
        const int y = n - 9;
        DrawLabel(pixels, n, n, 3, y + 1, text, Color(0.0f, 0.0f, 0.0f));
        DrawLabel(pixels, n, n, 2, y, text, Color(1.0f, 1.0f, 0.6f));
        std::vector<unsigned char> out(pixels.size() * 3);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            for (int c = 0; c < 3; ++c)
                out[i * 3 + c] = static_cast<unsigned char>(
                    std::lround(std::clamp(pixels[i][c], 0.0f, 1.0f) * 255.0f));
        return out;
    }

    std::string folder_;
    int count_, thumbnail_, cell_;
    std::mutex mutex_;
    std::map<int, Page> pages_;
};

// Replaces the file with the bytes, whole, unless it holds them already: a run in
// which nothing changed writes (and flushes) nothing.
bool WriteIfChanged(const std::string& path, const std::string& bytes, std::string* error) {
    std::vector<unsigned char> old;
    std::string why;
    if (ReadRegularFile(path, bytes.size(), old, why) && old.size() == bytes.size() &&
        std::equal(old.begin(), old.end(), bytes.begin(),
                   [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); }))
        return true;
    return ReplaceRegularFile(path, bytes.data(), bytes.size(), *error);
}

// What index.json says of one material.
struct Entry {
    int index = 0;
    std::string name, className, file, hash;
    bool cached = false;
    std::vector<std::string> warnings;
};

std::string Dump(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// index.json as text, its list of materials in index order: each entry is added
// as its thread finishes it and joins the text once those before it have.
class IndexEntries {
public:
    // Room for `count` entries of the usual size is reserved at once: pages not yet
    // written take no memory, and the text is never copied to grow.
    IndexEntries(std::string header, int count) : text_(std::move(header)) {
        text_.reserve(text_.size() + static_cast<std::size_t>(count) * 512);
    }
    void Add(int position, const Entry& e) {
        std::string line =
            Dump({{"index", e.index},
                  {"name", e.name},
                  {"class", e.className},
                  {"file", e.file.empty() ? nlohmann::json() : nlohmann::json(e.file)},
                  {"hash", e.hash},
                  {"cached", e.cached},
                  {"warnings", e.warnings}});
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.emplace(position, std::move(line));
        for (auto it = pending_.begin(); it != pending_.end() && it->first == next_;
             it = pending_.erase(it), ++next_) {
            if (next_ > 0) text_ += ",";
            text_ += "\n";
            text_ += "\t\t";
            text_ += it->second;
        }
    }
    // The whole text, once every entry is in.
    std::string& Finish() {
        text_ += "\n\t]\n}\n";
        return text_;
    }

private:
    std::mutex mutex_;
    std::map<int, std::string> pending_;
    int next_ = 0;
    std::string text_;
};

std::string Duration(double seconds) {
    const long s = std::lround(seconds);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

// Progress on standard error: a bar on a terminal, a line at every tenth
// otherwise. Messages go through it, so that they do not tear the bar.
class Progress {
public:
    explicit Progress(int total) : total_(total), terminal_(::isatty(STDERR_FILENO) != 0) {}

    void Show(int done) {
        std::lock_guard<std::mutex> lock(mutex_);
        const double elapsed = Elapsed();
        const std::string left = done > 0 && done < total_
                                     ? ", " + Duration(elapsed * (total_ - done) / done) + " left"
                                     : "";
        if (terminal_) {
            constexpr int kBar = 30;
            const int filled = static_cast<int>(static_cast<long long>(done) * kBar / total_);
            line_ = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(kBar - filled), '-') + "] " +
                    std::to_string(done) + "/" + std::to_string(total_) + left;
            std::fprintf(stderr, "%s\x1b[K", line_.c_str());
            std::fflush(stderr);
        } else {
            const int tenth = static_cast<int>(static_cast<long long>(done) * 10 / total_);
            if (tenth <= shownTenth_) return;
            shownTenth_ = tenth;
            std::fprintf(stderr, "thumbnails: %d of %d%s\n", done, total_, left.c_str());
        }
    }
    void Message(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (terminal_ && !line_.empty()) std::fprintf(stderr, "\r\x1b[K");
        PrintError(text);
        if (terminal_ && !line_.empty()) std::fprintf(stderr, "%s", line_.c_str());
    }
    void Finish() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (terminal_ && !line_.empty()) std::fprintf(stderr, "\r\x1b[K");
        line_.clear();
    }
    double Elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    const int total_;
    const bool terminal_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::mutex mutex_;
    std::string line_;
    int shownTenth_ = 0;
};

}  // namespace

int RunThumbnails(const HostOptions& hostOptions, const ThumbnailOptions& options) {
    if (options.size < 8 || options.size > 8192) {
        PrintError("--size must be between 8 and 8192");
        return 1;
    }
    SampleSlotBackground background;
    std::string error;
    if (!ParseBackground(options.background, &background, &error)) {
        PrintError(error);
        return 1;
    }
    PluginHost host;
    ClassDesc* cd = nullptr;
    if (!LoadLumraMaterialClass(host, hostOptions, &cd, &error)) {
        PrintError(error);
        return 1;
    }
    // The library is read one material at a time; every material is loaded once
    // first, so that a damaged library is refused before anything is written.
    const ClassLookup classes = SceneClassLookup(&host.Dlls());
    LibraryReader library;
    if (!library.Open(options.library, classes, &error)) {
        PrintError(options.library + ": " + error);
        return 1;
    }
    const int count = library.Count();
    if (count == 0) {
        PrintError(options.library + " holds no materials");
        return 1;
    }
    for (int k = 0; k < count; ++k) {
        std::vector<std::string> notes;
        if (!library.Load(k, classes, &notes, &error)) {
            PrintError(options.library + ": material " + std::to_string(k + 1) + ": " + error);
            return 1;
        }
        for (const std::string& note : notes)
            PrintError("material " + std::to_string(k + 1) + ": " + note);
    }
    Range range;
    if (!ParseRange(options.materials, count, &range, &error)) {
        PrintError(error);
        return 1;
    }
    if (!PrepareFolder(options.output, "output folder", &error) ||
        (!options.cache.empty() && !PrepareFolder(options.cache, "cache folder", &error))) {
        PrintError(error);
        return 1;
    }

    const int total = range.last - range.first + 1;
    const int threads =
        std::clamp(options.threads > 0 ? options.threads
                                       : static_cast<int>(std::thread::hardware_concurrency()),
                   1, std::min(total, kMaxRenderThreads));
    const int digits = static_cast<int>(std::to_string(count).size());
    const std::string backgroundKey = background.checker
                                          ? "checker"
                                          : FormatFloat(background.colour.r) + "," +
                                                FormatFloat(background.colour.g) + "," +
                                                FormatFloat(background.colour.b);
    const std::string programHash = ProgramHash(host);
    TextureDigests textureDigests;
    ContactSheets sheets(options.output, total, options.size);
    Progress progress(total);
    nlohmann::json sheetNames = nlohmann::json::array();
    for (int s = 0; s < sheets.Count(); ++s) sheetNames.push_back(ContactSheets::Name(s));
    const auto field = [](const char* name, const nlohmann::json& value) {
        std::string line = "\t";
        line += nlohmann::json(name).dump();
        line += ": ";
        line += Dump(value);
        line += ",\n";
        return line;
    };
    IndexEntries indexEntries(
        "{\n" + field("library", options.library) + field("materials in library", count) +
            field("first", range.first) + field("last", range.last) + field("size", options.size) +
            field("background", backgroundKey) + field("sheets", sheetNames) + "\t\"materials\": [",
        total);
    std::atomic<int> cachedCount{0}, warnedCount{0};
    std::mutex objectsMutex;  // the reference system's changes, one at a time
    std::atomic<int> next{0}, done{0}, drawn{0};
    std::atomic<bool> failed{false};
    std::mutex failureMutex;
    std::string failure;
    const auto fail = [&](const std::string& why) {
        std::lock_guard<std::mutex> lock(failureMutex);
        if (failure.empty()) failure = why;
        failed = true;
    };

    const auto drawOne = [&](int position) {
        const int index = range.first + position;
        MtlHandle handle;
        {
            std::lock_guard<std::mutex> lock(objectsMutex);
            std::vector<std::string> notes;
            std::string why;
            handle = library.Load(index - 1, classes, &notes, &why);
            if (!handle) {
                fail(options.library + ": material " + std::to_string(index) + ": " + why);
                return;
            }
        }
        Mtl* mtl = handle.get();
        Entry e;
        e.index = index;
        e.name = ToUtf8(mtl->GetName().data());
        MSTR className;
        mtl->GetClassName(className);
        e.className = ToUtf8(className.data());
        const std::string label = std::to_string(index) + " " + e.name;
        std::vector<unsigned char> rgb;
        if (mtl->ClassID() != LUMRA_MTL_CLASS_ID) {
            e.warnings.push_back("not a Lumra material: not drawn");
        } else {
            // The key: everything the picture is drawn from.
            ContentHash key;
            key.AddField(kKeyFormat);
            key.AddField(programHash);
            key.AddField(std::to_string(options.size));
            key.AddField(backgroundKey);
            std::vector<unsigned char> saved;
            std::string why;
            if (!WriteScene({mtl}, classes, &saved, &why))
                e.warnings.push_back("cannot be saved, so not cached: " + why);
            key.AddField(
                std::string_view(reinterpret_cast<const char*>(saved.data()), saved.size()));
            std::vector<BitmapTex*> textures;
            std::unordered_set<ReferenceMaker*> seen;
            CollectTextures(mtl, &textures, &seen);
            std::unordered_set<BitmapTex*> unread;
            std::unordered_set<std::string> warnedNames;  // one warning a file
            for (BitmapTex* t : textures) {
                const std::string name = ToUtf8(t->GetMapName());
                key.AddField(name);
                if (name.empty()) continue;
                const FileDigest digest = textureDigests.Get(PathOf(t->GetMapName()));
                key.AddField(digest.hash);
                if (digest.error.empty()) continue;
                unread.insert(t);
                if (warnedNames.insert(name).second)
                    e.warnings.push_back("texture \"" + name + "\": " + digest.error);
            }
            e.hash = key.Hex();
            e.file = ThumbnailFileName(index, digits, e.name);
            const std::string path = options.output + "/" + e.file;

            CachedThumbnail entry;
            if (saved.size() > 0 && !options.cache.empty() &&
                ReadCachedThumbnail(options.cache, e.hash, &entry)) {
                HostImage image;
                if (WriteIfChanged(path, entry.png, &why) &&
                    ReadHostImage(path, image, why, 1.0f) && image.width == options.size &&
                    image.height == options.size) {
                    e.cached = true;
                    e.warnings = entry.warnings;
                    rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
                    for (std::size_t i = 0; i < rgb.size() / 3; ++i)
                        for (int c = 0; c < 3; ++c)
                            rgb[i * 3 + c] = static_cast<unsigned char>(
                                std::lround(image.rgba[i * 4 + c] * 255.0f));
                }
            }
            if (!e.cached) {
                SampleSlot slot(options.size, options.size, background);
                const std::vector<Color> pixels = RenderSampleSlot(*mtl, slot, 1);
                for (BitmapTex* t : textures) {
                    auto* bitmap = dynamic_cast<BMTex*>(t);
                    if (bitmap && !unread.count(t) && t->GetMapName()[0] != 0 &&
                        bitmap->Image().Empty() &&
                        warnedNames.insert(ToUtf8(t->GetMapName())).second)
                        e.warnings.push_back("texture \"" + ToUtf8(t->GetMapName()) +
                                             "\" cannot be decoded: drawn black");
                }
                const float* values = reinterpret_cast<const float*>(pixels.data());
                if (!EncodePng(options.size, options.size, values, &entry.png)) {
                    fail(path + ": cannot encode the picture as PNG");
                    return;
                }
                if (!WriteIfChanged(path, entry.png, &why)) {
                    fail(why);
                    return;
                }
                ++drawn;
                rgb = DisplayBytes(values, pixels.size() * 3);
                if (saved.size() > 0 && !options.cache.empty()) {
                    entry.warnings = e.warnings;
                    if (!WriteCachedThumbnail(options.cache, e.hash, entry, &why))
                        progress.Message("warning: the cache keeps no copy: " + why);
                }
            }
        }
        for (const std::string& w : e.warnings)
            progress.Message("material " + std::to_string(index) + " \"" + e.name +
                             "\": warning: " + w);
        std::string why;
        if (!sheets.Add(position, rgb, label, &why)) fail(why);
        cachedCount += e.cached ? 1 : 0;
        warnedCount += e.warnings.empty() ? 0 : 1;
        indexEntries.Add(position, e);
        std::lock_guard<std::mutex> lock(objectsMutex);
        handle.reset();
    };
    const auto work = [&] {
        for (int position = next++; position < total && !failed; position = next++) {
            drawOne(position);
            ++done;
        }
    };

    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    if (workers.empty()) {
        work();
    } else {
        while (done.load() < total && !failed) {
            progress.Show(done.load());
            for (int i = 0; i < 10 && done.load() < total && !failed; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    for (std::thread& w : workers) w.join();
    if (!failed) progress.Show(total);
    progress.Finish();
    if (failed) {
        PrintError(failure);
        return 1;
    }

    const std::string& text = indexEntries.Finish();
    if (!ReplaceRegularFile(options.output + "/index.json", text.data(), text.size(), error)) {
        PrintError(error);
        return 1;
    }
    const int warned = warnedCount.load();
    std::printf(
        "%s: %d thumbnail%s (%d drawn, %d from the cache), %d sheet%s, %d thread%s, "
        "%.3f s%s\n",
        EscapeControls(options.output).c_str(), total, total == 1 ? "" : "s", drawn.load(),
        cachedCount.load(), sheets.Count(), sheets.Count() == 1 ? "" : "s", threads,
        threads == 1 ? "" : "s", progress.Elapsed(),
        warned ? (", " + std::to_string(warned) + " with warnings").c_str() : "");
    return 0;
}

#include "thumbnail_cache.h"

#include "content_hash.h"

#include "regular_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>

namespace {

// Entries hold the thumbnail's file bytes: a change of the PNG encoder changes the
// format too, so that older entries are drawn again rather than written as they were.
constexpr const char* kFormat = "lumra thumbnail 2";
// No thumbnail comes near this; a larger file is not an entry.
constexpr std::uint64_t kMaxEntryBytes = std::uint64_t(512) << 20;

}  // namespace

std::string CacheEntryPath(const std::string& folder, const std::string& key) {
    return folder + "/" + key + ".thumb";
}

bool ReadCachedThumbnail(const std::string& folder, const std::string& key,
                         CachedThumbnail* entry) {
    std::vector<unsigned char> bytes;
    std::string error;
    if (!ReadRegularFile(CacheEntryPath(folder, key), kMaxEntryBytes, bytes, error)) return false;
    const auto newline = std::find(bytes.begin(), bytes.end(), '\n');
    if (newline == bytes.end()) return false;
    const nlohmann::json header = nlohmann::json::parse(bytes.begin(), newline, nullptr, false);
    if (!header.is_object()) return false;
    const auto text = [&](const char* name) {
        const auto it = header.find(name);
        return it != header.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    const auto size = header.find("bytes");
    const std::size_t payload = static_cast<std::size_t>(bytes.end() - (newline + 1));
    if (text("format") != kFormat || text("key") != key || size == header.end() ||
        !size->is_number_unsigned() || size->get<std::uint64_t>() != payload)
        return false;
    if (text("sha256") != HashHex(&*newline + 1, payload)) return false;
    CachedThumbnail found;
    found.png.assign(newline + 1, bytes.end());
    if (const auto w = header.find("warnings"); w != header.end()) {
        if (!w->is_array()) return false;
        for (const auto& item : *w) {
            if (!item.is_string()) return false;
            found.warnings.push_back(item.get<std::string>());
        }
    }
    *entry = std::move(found);
    return true;
}

bool WriteCachedThumbnail(const std::string& folder, const std::string& key,
                          const CachedThumbnail& entry, std::string* error) {
    nlohmann::json header = {{"format", kFormat},
                             {"key", key},
                             {"bytes", entry.png.size()},
                             {"sha256", HashHex(entry.png.data(), entry.png.size())},
                             {"warnings", entry.warnings}};
    std::string bytes = header.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    bytes += '\n';
    bytes += entry.png;
    return ReplaceRegularFile(CacheEntryPath(folder, key), bytes.data(), bytes.size(), *error);
}

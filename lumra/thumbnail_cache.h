// The thumbnail cache: a folder of pictures filed under the hash of everything
// they were drawn from (thumbnail_key), so that an unchanged material is copied
// rather than drawn again. Each entry is one file, KEY.thumb: a line of JSON
// naming its key, the size and SHA-256 of the picture and the warnings its drawing
// gave, then the PNG's bytes. An entry is used only when its key is the one asked
// for and the picture's bytes hash to the value it records: a damaged, cut or
// foreign entry is never used, and is drawn and written anew. Entries are written
// whole (ReplaceRegularFile), so processes may share one cache.
#pragma once

#include <string>
#include <vector>

struct CachedThumbnail {
    std::string png;
    std::vector<std::string> warnings;
};

// The path of the entry for `key` in the cache folder.
std::string CacheEntryPath(const std::string& folder, const std::string& key);
// The entry for `key`, when there is a sound one.
bool ReadCachedThumbnail(const std::string& folder, const std::string& key, CachedThumbnail* entry);
// Files the picture under `key`; false with the reason.
bool WriteCachedThumbnail(const std::string& folder, const std::string& key,
                          const CachedThumbnail& entry, std::string* error);

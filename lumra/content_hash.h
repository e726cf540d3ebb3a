// SHA-256 of what a picture is made from, as lower-case hex: the keys of the
// thumbnail cache and the hashes index.json lists.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class ContentHash {
public:
    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash&) = delete;
    ContentHash& operator=(const ContentHash&) = delete;

    void Add(const void* data, std::size_t size);
    void Add(std::string_view text) { Add(text.data(), text.size()); }
    // A field of its own: its length first, so that neighbouring fields cannot
    // run into each other ("ab"+"c" and "a"+"bc" hash differently).
    void AddField(std::string_view text);
    // The digest of everything added; the hash starts again afterwards.
    std::string Hex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The digest of one block of bytes.
std::string HashHex(const void* data, std::size_t size);

#include "content_hash.h"

#include <openssl/evp.h>

#include <cstdint>
#include <new>

struct ContentHash::State {
    EVP_MD_CTX* context = nullptr;
};

ContentHash::ContentHash() : state_(std::make_unique<State>()) {
    state_->context = EVP_MD_CTX_new();
    if (!state_->context || !EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr))
        throw std::bad_alloc();
}

ContentHash::~ContentHash() { EVP_MD_CTX_free(state_->context); }

void ContentHash::Add(const void* data, std::size_t size) {
    if (size > 0) EVP_DigestUpdate(state_->context, data, size);
}

void ContentHash::AddField(std::string_view text) {
    const std::uint64_t size = text.size();
    unsigned char length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(size >> (8 * i));
    Add(length, sizeof length);
    Add(text);
}

std::string ContentHash::Hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(state_->context, digest, &size);
    EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

std::string HashHex(const void* data, std::size_t size) {
    ContentHash h;
    h.Add(data, size);
    return h.Hex();
}

#include "access_guard.h"

#include <cstdio>
#include <random>

namespace {

std::string RandomToken() {
    std::random_device device;
    static const char kHex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 8; ++i) {
        const unsigned v = device();
        for (int k = 0; k < 4; ++k) token += kHex[(v >> (k * 4)) & 15];
    }
    return token;
}

}  // namespace

AccessGuard::AccessGuard(std::string bind, int port)
    : token_(RandomToken()), bind_(std::move(bind)), port_(port) {
    const std::string p = std::string(":").append(std::to_string(port));
    std::string own;
    if (bind_.find(':') != std::string::npos) {
        own.append("[").append(bind_).append("]");  // an IPv6 address
    } else {
        own = bind_;
    }
    hosts_.push_back(own.append(p));
    if (bind_ == "127.0.0.1" || bind_ == "::1" || bind_ == "localhost") {
        for (const char* loopback : {"127.0.0.1", "localhost", "[::1]"})
            hosts_.push_back(std::string(loopback).append(p));
    }
}

std::string AccessGuard::CookieName() const { return "lumra_token_" + std::to_string(port_); }

std::string AccessGuard::Address() const {
    return "http://" + hosts_.front() + "/?token=" + token_;
}

bool AccessGuard::HostAllowed(const std::string& host) const {
    for (const std::string& h : hosts_)
        if (host == h) return true;
    return false;
}

bool AccessGuard::OriginAllowed(const std::string& origin) const {
    if (origin.empty()) return true;
    static const std::string kScheme = "http://";
    if (origin.compare(0, kScheme.size(), kScheme) != 0) return false;
    for (const std::string& h : hosts_)
        if (origin.compare(kScheme.size(), std::string::npos, h) == 0) return true;
    return false;
}

bool AccessGuard::TokenMatches(const std::string& text) const {
    if (text.size() != token_.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        diff |= static_cast<unsigned char>(text[i] ^ token_[i]);
    return diff == 0;
}

std::string AccessGuard::TokenFromCookie(const std::string& header) const {
    const std::string name = CookieName() + "=";
    std::size_t at = 0;
    while (at < header.size()) {
        while (at < header.size() && (header[at] == ' ' || header[at] == ';')) ++at;
        const std::size_t end = std::min(header.find(';', at), header.size());
        if (header.compare(at, name.size(), name) == 0)
            return header.substr(at + name.size(), end - at - name.size());
        at = end;
    }
    return {};
}

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

// "1.2.3.4:PORT" or "[v6]:PORT": a machine named by its address, which no DNS name
// can be rebound to.
bool IsAddressLiteral(const std::string& host, int port) {
    const std::string suffix = std::string(":").append(std::to_string(port));
    if (host.size() <= suffix.size() ||
        host.compare(host.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string name = host.substr(0, host.size() - suffix.size());
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        return name.find_first_not_of("0123456789abcdefABCDEF:.", 1) == name.size() - 1;
    int parts = 0, digits = 0, value = 0;
    for (char c : name) {
        if (c == '.') {
            if (digits == 0) return false;
            ++parts;
            digits = value = 0;
        } else if (c >= '0' && c <= '9' && digits < 3) {
            value = value * 10 + (c - '0');
            if (++digits, value > 255) return false;
        } else {
            return false;
        }
    }
    return parts == 3 && digits > 0;
}

}  // namespace

AccessGuard::AccessGuard(std::string bind, int port)
    : token_(RandomToken()), bind_(std::move(bind)), port_(port) {
    const std::string p = std::string(":").append(std::to_string(port));
    wildcard_ = bind_ == "0.0.0.0" || bind_ == "::";
    const bool loopback =
        wildcard_ || bind_ == "127.0.0.1" || bind_ == "::1" || bind_ == "localhost";
    if (!wildcard_) {
        std::string own;
        if (bind_.find(':') != std::string::npos) {
            own.append("[").append(bind_).append("]");  // an IPv6 address
        } else {
            own = bind_;
        }
        hosts_.push_back(own.append(p));
    }
    if (loopback)
        for (const char* name : {"127.0.0.1", "localhost", "[::1]"})
            hosts_.push_back(std::string(name).append(p));
}

std::string AccessGuard::CookieName() const { return "lumra_token_" + std::to_string(port_); }

std::string AccessGuard::Address() const {
    return "http://" + hosts_.front() + "/?token=" + token_;
}

bool AccessGuard::HostAllowed(const std::string& host) const {
    for (const std::string& h : hosts_)
        if (host == h) return true;
    return wildcard_ && IsAddressLiteral(host, port_);
}

bool AccessGuard::OriginAllowed(const std::string& origin) const {
    if (origin.empty()) return true;
    static const std::string kScheme = "http://";
    return origin.compare(0, kScheme.size(), kScheme) == 0 &&
           HostAllowed(origin.substr(kScheme.size()));
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

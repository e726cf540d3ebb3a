// Who may drive an editor server: a request must name the server by the address it
// serves (a rebound DNS name does not), come from the server's own pages if it comes
// from a page at all, and carry the session's token.
#pragma once

#include <string>
#include <vector>

class AccessGuard {
public:
    // A new random token; `bind` is the address the server listens on.
    AccessGuard(std::string bind, int port);

    const std::string& Token() const { return token_; }
    // The cookie that carries the token: named after the port, since cookies of
    // one host are shared between its ports.
    std::string CookieName() const;
    // The address to open in a browser, token included.
    std::string Address() const;

    // True when the Host header names this server: its address, loopback names when
    // it listens there, and any address literal (never a DNS name, which could be
    // rebound) when it listens on every address.
    bool HostAllowed(const std::string& host) const;
    // True when the Origin header is absent or one of this server's.
    bool OriginAllowed(const std::string& origin) const;
    // True when the text is the token (compared in constant time).
    bool TokenMatches(const std::string& text) const;
    // The token a Cookie header carries, or empty.
    std::string TokenFromCookie(const std::string& cookieHeader) const;

private:
    std::string token_;
    std::string bind_;
    int port_;
    bool wildcard_ = false;  // listening on every address: any address literal names it
    std::vector<std::string> hosts_;
};

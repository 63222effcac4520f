// Who a request comes from: the peer of its connection, or, when that peer
// is one of the trusted proxies, the client the proxy names in
// X-Forwarded-For. A header from anyone else is ignored, so a client
// cannot spoof its way past the upload cap.
#pragma once

#include <string>
#include <vector>

namespace qm {

bool IsTrustedProxy(const std::vector<std::string>& trustedProxies, const std::string& peer);

// The client's address: the last address in forwardedFor that is not a
// trusted proxy (the one the nearest trusted proxy saw), when peer is
// trusted and the header holds a valid address; else peer.
std::string ClientAddress(const std::vector<std::string>& trustedProxies, const std::string& peer,
                          const std::string& forwardedFor);

// An IPv4 or IPv6 address in its canonical text, or "" when text is none.
std::string CanonicalAddress(const std::string& text);

}  // namespace qm

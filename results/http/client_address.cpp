#include "results/http/client_address.h"

#include <boost/asio/ip/address.hpp>

namespace qm {

std::string CanonicalAddress(const std::string& text) {
  boost::system::error_code ec;
  const boost::asio::ip::address address = boost::asio::ip::make_address(text, ec);
  if (ec) return std::string();
  // An IPv4 client on a dual-stack socket counts as its IPv4 address.
  if (address.is_v6() && address.to_v6().is_v4_mapped())
    return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6()).to_string();
  return address.to_string();
}

bool IsTrustedProxy(const std::vector<std::string>& trustedProxies, const std::string& peer) {
  for (const std::string& proxy : trustedProxies)
    if (proxy == peer) return true;
  return false;
}

std::string ClientAddress(const std::vector<std::string>& trustedProxies, const std::string& peer,
                          const std::string& forwardedFor) {
  if (forwardedFor.empty() || !IsTrustedProxy(trustedProxies, peer)) return peer;
  size_t end = forwardedFor.size();
  while (end > 0) {
    size_t comma = forwardedFor.rfind(',', end - 1);
    const size_t start = comma == std::string::npos ? 0 : comma + 1;
    std::string entry = forwardedFor.substr(start, end - start);
    const size_t first = entry.find_first_not_of(" \t");
    const size_t last = entry.find_last_not_of(" \t");
    entry = first == std::string::npos ? std::string() : entry.substr(first, last - first + 1);
    std::string address = CanonicalAddress(entry);
    if (address.empty()) return peer;  // a broken list names no one
    if (!IsTrustedProxy(trustedProxies, address)) return address;
    if (comma == std::string::npos) break;
    end = comma;
  }
  return peer;
}

}  // namespace qm

#include "results/report_hash.h"

#include <openssl/evp.h>

namespace qm {

std::string ReportSha256(std::string_view report) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(report.data(), report.size(), digest, &size, EVP_sha256(), nullptr) != 1)
    return std::string();
  static const char HEX[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < size; ++i) {
    text += HEX[digest[i] >> 4];
    text += HEX[digest[i] & 0x0F];
  }
  return text;
}

}  // namespace qm

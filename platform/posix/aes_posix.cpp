// AES-256-CBC on POSIX systems: OpenSSL's EVP interface with padding off,
// so every update turns exactly its input into as many output bytes.
#include <openssl/evp.h>

#include "platform/aes.h"

namespace qm {
namespace {

EVP_CIPHER_CTX* Native(CipherHandle cipher) { return reinterpret_cast<EVP_CIPHER_CTX*>(cipher); }

CipherHandle Begin(CipherDirection direction, const uint8_t* key, const uint8_t* iv) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  if (context == nullptr) return nullptr;
  int encrypt = direction == CipherDirection::Encrypt ? 1 : 0;
  if (EVP_CipherInit_ex(context, EVP_aes_256_cbc(), nullptr, key, iv, encrypt) != 1 ||
      EVP_CIPHER_CTX_set_padding(context, 0) != 1) {
    EVP_CIPHER_CTX_free(context);
    return nullptr;
  }
  return reinterpret_cast<CipherHandle>(context);
}

bool Update(CipherHandle cipher, const uint8_t* in, uint8_t* out, uint32_t size) {
  if (cipher == nullptr || size % AES_BLOCK_BYTES != 0 || size > 0x7fffffff) return false;
  int produced = 0;
  if (EVP_CipherUpdate(Native(cipher), out, &produced, in, static_cast<int>(size)) != 1) return false;
  return produced == static_cast<int>(size);
}

void End(CipherHandle cipher) {
  if (cipher != nullptr) EVP_CIPHER_CTX_free(Native(cipher));
}

const CipherOps POSIX_CIPHER_OPS = {Begin, Update, End};

}  // namespace

const CipherOps& NativeCipherOps() { return POSIX_CIPHER_OPS; }

}  // namespace qm

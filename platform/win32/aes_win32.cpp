// AES-256-CBC on Windows: CNG (bcrypt.dll). Real Windows writes the chaining
// value back into the IV buffer after each BCryptEncrypt; Wine keeps it
// inside the key handle instead. We copy the last ciphertext block into the
// IV ourselves after every call and use a fresh key handle per chain, which
// gives the same bytes on both.
#include <cstring>
#include <vector>

#include "platform/aes.h"
#include "platform/win32/wide.h"

#include <bcrypt.h>

struct qm::CipherObject {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_KEY_HANDLE key = nullptr;
  std::vector<UCHAR> keyObject;
  UCHAR iv[qm::AES_BLOCK_BYTES] = {};
  qm::CipherDirection direction = qm::CipherDirection::Encrypt;
};

namespace qm {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

void End(CipherHandle cipher) {
  if (cipher == nullptr) return;
  if (cipher->key != nullptr) BCryptDestroyKey(cipher->key);
  if (cipher->algorithm != nullptr) BCryptCloseAlgorithmProvider(cipher->algorithm, 0);
  delete cipher;
}

CipherHandle Begin(CipherDirection direction, const uint8_t* key, const uint8_t* iv) {
  auto* cipher = new CipherObject;
  cipher->direction = direction;
  std::memcpy(cipher->iv, iv, AES_BLOCK_BYTES);
  DWORD objectLength = 0, got = 0;
  bool ok =
      Succeeded(BCryptOpenAlgorithmProvider(&cipher->algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0)) &&
      Succeeded(BCryptSetProperty(cipher->algorithm, BCRYPT_CHAINING_MODE,
                                  reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                                  sizeof(BCRYPT_CHAIN_MODE_CBC), 0)) &&
      Succeeded(BCryptGetProperty(cipher->algorithm, BCRYPT_OBJECT_LENGTH,
                                  reinterpret_cast<PUCHAR>(&objectLength), sizeof(objectLength), &got, 0));
  if (ok) {
    cipher->keyObject.resize(objectLength);
    ok = Succeeded(BCryptGenerateSymmetricKey(cipher->algorithm, &cipher->key, cipher->keyObject.data(),
                                              objectLength, const_cast<PUCHAR>(key), AES_KEY_BYTES, 0));
  }
  if (!ok) {
    End(cipher);
    return nullptr;
  }
  return cipher;
}

bool Update(CipherHandle cipher, const uint8_t* in, uint8_t* out, uint32_t size) {
  if (cipher == nullptr || size % AES_BLOCK_BYTES != 0) return false;
  if (size == 0) return true;
  // The next chaining value is the last ciphertext block: the output's when
  // encrypting, the input's when decrypting (kept before the call).
  UCHAR lastInput[AES_BLOCK_BYTES];
  std::memcpy(lastInput, in + size - AES_BLOCK_BYTES, AES_BLOCK_BYTES);
  ULONG done = 0;
  PUCHAR input = const_cast<PUCHAR>(in);
  NTSTATUS status =
      cipher->direction == CipherDirection::Encrypt
          ? BCryptEncrypt(cipher->key, input, size, nullptr, cipher->iv, AES_BLOCK_BYTES, out, size, &done, 0)
          : BCryptDecrypt(cipher->key, input, size, nullptr, cipher->iv, AES_BLOCK_BYTES, out, size, &done,
                          0);
  if (!Succeeded(status) || done != size) return false;
  const UCHAR* next =
      cipher->direction == CipherDirection::Encrypt ? out + size - AES_BLOCK_BYTES : lastInput;
  std::memcpy(cipher->iv, next, AES_BLOCK_BYTES);
  return true;
}

const CipherOps WIN32_CIPHER_OPS = {Begin, Update, End};

}  // namespace

const CipherOps& NativeCipherOps() { return WIN32_CIPHER_OPS; }

}  // namespace qm

// The AES backend of this build against NIST SP 800-38A, F.2.5 and F.2.6
// (CBC-AES256), in one call and block by block across calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/aes.h"

namespace qm {
namespace {

std::vector<uint8_t> Hex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t at = 0; at + 1 < hex.size(); at += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(at, 2), nullptr, 16)));
  return bytes;
}

const auto KEY = Hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
const auto IV = Hex("000102030405060708090a0b0c0d0e0f");
const auto PLAIN =
    Hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
const auto CIPHER =
    Hex("f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
        "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");

// Runs in through one chain, split into calls of step bytes.
std::vector<uint8_t> Chain(CipherDirection direction, const std::vector<uint8_t>& in, size_t step) {
  CipherHandle chain = Cipher().begin(direction, KEY.data(), IV.data());
  EXPECT_NE(chain, nullptr);
  std::vector<uint8_t> out(in.size());
  for (size_t at = 0; chain != nullptr && at < in.size(); at += step)
    EXPECT_TRUE(Cipher().update(chain, in.data() + at, out.data() + at, static_cast<uint32_t>(step)));
  Cipher().end(chain);
  return out;
}

TEST(Aes256Cbc, NistVectorsWholeAndAcrossCalls) {
  for (size_t step : {size_t{64}, size_t{16}, size_t{32}}) {
    EXPECT_EQ(Chain(CipherDirection::Encrypt, PLAIN, step), CIPHER) << "step " << step;
    EXPECT_EQ(Chain(CipherDirection::Decrypt, CIPHER, step), PLAIN) << "step " << step;
  }
}

TEST(Aes256Cbc, NewChainStartsAgainFromTheIv) {
  // Two chains one after the other give the same bytes: no chaining value
  // is left behind from the first.
  EXPECT_EQ(Chain(CipherDirection::Encrypt, PLAIN, 16), Chain(CipherDirection::Encrypt, PLAIN, 64));
  EXPECT_EQ(Chain(CipherDirection::Encrypt, PLAIN, 64), CIPHER);
}

TEST(Aes256Cbc, RejectsPartialBlocks) {
  CipherHandle chain = Cipher().begin(CipherDirection::Encrypt, KEY.data(), IV.data());
  ASSERT_NE(chain, nullptr);
  std::vector<uint8_t> out(32);
  EXPECT_FALSE(Cipher().update(chain, PLAIN.data(), out.data(), 17));
  Cipher().end(chain);
}

}  // namespace
}  // namespace qm

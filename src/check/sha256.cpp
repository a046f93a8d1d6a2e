// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace quibran {

namespace {

void Require(int ok, const char* what) {
  if (ok != 1) throw std::runtime_error(std::string("SHA-256: ") + what + " failed");
}

}  // namespace

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
  if (context_ == nullptr) throw std::bad_alloc();
  Require(EVP_DigestInit_ex(context_, EVP_sha256(), nullptr), "EVP_DigestInit_ex");
}

Sha256::~Sha256() { EVP_MD_CTX_free(context_); }

void Sha256::Add(const uint8_t* data, std::size_t size) {
  Require(EVP_DigestUpdate(context_, data, size), "EVP_DigestUpdate");
}

std::string Sha256::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  Require(EVP_DigestFinal_ex(context_, digest, &length), "EVP_DigestFinal_ex");
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

}  // namespace quibran

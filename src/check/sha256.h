// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SHA-256 through OpenSSL's EVP interface.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct evp_md_ctx_st;

namespace quibran {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Add(const uint8_t* data, std::size_t size);
  // The digest of everything added, in lower-case hexadecimal.
  std::string HexDigest();

 private:
  evp_md_ctx_st* context_;
};

}  // namespace quibran

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeping pad material out of reach: buffers that a core dump leaves out and
// that are wiped before their memory goes back, and a process that cannot
// dump core at all while it draws secrets.

#include <cstddef>
#include <type_traits>

namespace quibran {

// Whole pages of zeros, marked to be left out of core dumps; nothing when
// `bytes` is 0. Throws std::bad_alloc when there is no memory.
void* AllocateSecret(std::size_t bytes);
// Overwrites `bytes` bytes with zeros in a way the compiler cannot drop.
void WipeSecret(void* memory, std::size_t bytes);
// Wipes and gives back what AllocateSecret gave.
void FreeSecret(void* memory, std::size_t bytes);

// An array of `size` values (zeros at first) for bytes that must not leak:
// left out of core dumps, wiped when freed.
template <class T>
class SecretBuffer {
  static_assert(std::is_trivial_v<T>);

 public:
  explicit SecretBuffer(std::size_t size) : data_(static_cast<T*>(AllocateSecret(size * sizeof(T)))), size_(size) {}
  ~SecretBuffer() { FreeSecret(data_, size_ * sizeof(T)); }
  SecretBuffer(const SecretBuffer&) = delete;
  SecretBuffer& operator=(const SecretBuffer&) = delete;

  T* get() const { return data_; }
  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) const { return data_[i]; }
  void Wipe() { WipeSecret(data_, size_ * sizeof(T)); }

 private:
  T* data_;
  std::size_t size_;
};

// While one lives, the process cannot dump core (nor be traced by another
// process of the same user); the process's earlier setting comes back after.
class CoreDumpsOff {
 public:
  CoreDumpsOff();
  ~CoreDumpsOff();
  CoreDumpsOff(const CoreDumpsOff&) = delete;
  CoreDumpsOff& operator=(const CoreDumpsOff&) = delete;

 private:
  int previous_;
};

}  // namespace quibran

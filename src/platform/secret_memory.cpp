// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/secret_memory.h"

#include <sys/mman.h>
#include <sys/prctl.h>

#include <cstring>
#include <new>

namespace quibran {

void* AllocateSecret(std::size_t bytes) {
  if (bytes == 0) return nullptr;
  // A private anonymous mapping is page-aligned and starts as zeros, and
  // MADV_DONTDUMP acts on whole pages.
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  ::madvise(memory, bytes, MADV_DONTDUMP);
  return memory;
}

void WipeSecret(void* memory, std::size_t bytes) {
  if (memory) ::explicit_bzero(memory, bytes);
}

void FreeSecret(void* memory, std::size_t bytes) {
  if (!memory) return;
  WipeSecret(memory, bytes);
  ::munmap(memory, bytes);
}

CoreDumpsOff::CoreDumpsOff() : previous_(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0)) { ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0); }

// A process may set only 0 and 1; the kernel's 2 (set-user-ID programs) stays
// off.
CoreDumpsOff::~CoreDumpsOff() {
  if (previous_ == 1) ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
}

}  // namespace quibran

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Marks a function of plain loops for the compiler to vectorise twice: an
// AVX2 copy and a baseline one, picked at run time by the processor. The
// default build needs no -march flag. With QUIBRAN_NO_AVX2 only the baseline
// copy is compiled, so that an AVX2 machine runs it too.
#ifdef QUIBRAN_NO_AVX2
#define QUIBRAN_VECTOR_CLONES
#else
#define QUIBRAN_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif

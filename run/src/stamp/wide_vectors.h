// SPDX-License-Identifier: GPL-3.0-or-later
// Wider vectors for a few hot loops of the stamping passes.
//
// Where the compiler can make a copy of a function for wider vectors, chosen
// when the program starts by what the processor has, the function marked
// with this gets one; the plain copy runs everywhere else. The copies do
// the same operations, each rounded the same way (no fused multiply-add is
// allowed in the wide copy), so they give the same bytes.
//
// The choice is made by an indirect-function resolver that runs while the
// program is being loaded; under ThreadSanitizer that is before its runtime
// is ready, and the program dies at start. Such builds keep the plain copy.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__SANITIZE_THREAD__)
#define STEMPORA_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define STEMPORA_WIDE_VECTORS
#endif

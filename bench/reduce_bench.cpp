// SPDX-License-Identifier: GPL-3.0-or-later
// Reduction of a stamped 12-megapixel picture to 8 bits (census, sort and
// error diffusion) against the GIF encode of the reduced picture, side by
// side in one process, best of a few rounds each.
//   reduce_bench <scratch folder> [rounds]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "image/depth_down.h"
#include "image/dib_access.h"
#include "watermark_corpus.h"

namespace {

// Processor time of this thread: the figures stay comparable on a machine
// that is busy with other work.
double thread_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reduce_bench <scratch folder> [rounds]\n");
    return 2;
  }
  const std::string gif = std::string(argv[1]) + "/reduced.gif";
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  constexpr double kTarget = 1.2;

  double best_reduce = 1e9, best_encode = 1e9;
  for (int round = 0; round < rounds; ++round) {
    TDibImage picture = MakePhotoLikePicture(4000, 3000, 7u + uint32_t(round));
    if (!picture.Bits) return 1;
    const double t0 = thread_seconds();
    DepthDownTo(picture, 8);
    best_reduce = std::min(best_reduce, thread_seconds() - t0);
    if (DibBitCount(picture) != 8) return 1;

    const double t1 = thread_seconds();
    const int saved = SaveDib(&picture, gif.c_str(), PIXKIT_FORMAT_GIF, nullptr);
    best_encode = std::min(best_encode, thread_seconds() - t1);
    deldib(&picture);
    if (saved != 1) return 1;
  }
  const double ratio = best_reduce / best_encode;
  std::printf("reduction to 8 bits: 12 MP, best of %d\n", rounds);
  std::printf("  census + sort + diffusion: %.3f s\n", best_reduce);
  std::printf("  GIF encode of the result:  %.3f s\n", best_encode);
  std::printf("  ratio %.3f (target <= %.2f): %s\n", ratio, kTarget, ratio <= kTarget ? "PASS" : "FAIL");
  return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Owns a picture record for the length of a test and releases it with
// deldib exactly once, also when an assertion leaves the test early.
#pragma once

#include "pixkit/pixkit.h"

namespace testsupport {

struct OwnedDib {
  TDibImage dib;
  explicit OwnedDib(TDibImage d) : dib(d) {}
  ~OwnedDib() { deldib(&dib); }
  OwnedDib(const OwnedDib&) = delete;
  OwnedDib& operator=(const OwnedDib&) = delete;
  // The bit count of a record with pixels; 0 for one a reader refused.
  int bits() const { return dib.Bits && dib.Info ? dib.Info->bmiHeader.biBitCount : 0; }
};

}  // namespace testsupport

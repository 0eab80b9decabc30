// SPDX-License-Identifier: GPL-3.0-or-later
// Reduction of a stamped 24-bit picture back to the 1, 4 or 8 bits its file
// had: a popularity palette (or the library's black and white for 1 bit) and
// error diffusion onto it.
#include "image/depth_down.h"

#include <vector>

#include "image/build_palette.h"
#include "image/dib_access.h"
#include "image/dither_to_palette.h"
#include "image/replace_depth.h"

namespace {

// Both palette copies of the target get the built colours; the fourth byte
// of each entry keeps what it had. The palette handle is made anew from the
// LogPalette copy, which is the one the nearest-colour lookup must see.
void install_palette(TDibImage& target, const std::vector<PaletteColour>& colours) {
  for (size_t i = 0; i < colours.size() && i < 256; ++i) {
    PixkitPaletteEntry& entry = target.LogPalette.palPalEntry[i];
    entry.peRed = colours[i].red;
    entry.peGreen = colours[i].green;
    entry.peBlue = colours[i].blue;
    PixkitRgbQuad& quad = target.Info->bmiColors[i];
    quad.rgbRed = colours[i].red;
    quad.rgbGreen = colours[i].green;
    quad.rgbBlue = colours[i].blue;
  }
  DeletePalette(target.PaletteHandle);
  target.PaletteHandle = CreatePalette(&target.LogPalette);
}

}  // namespace

void DepthDownTo(TDibImage& image, int depth) {
  if (depth <= 0 || !image.Info || !image.Bits) return;
  if (DibBitCount(image) != 24) return;
  if (depth != 1 && depth != 4 && depth != 8) return;

  TDibImage target = NewDibLike(image, depth);
  if (!target.Storage || !target.Bits) return;  // stays at 24 bits
  try {
    if (depth == 4) install_palette(target, BuildPalette(image, 16, 5));
    if (depth == 8) install_palette(target, BuildPalette(image, 256, 4));
    DitherToPalette(image, target);
  } catch (...) {
    // No room for the census or the row buffers: like a failed newdib, the
    // picture stays at 24 bits.
    deldib(&target);
    return;
  }
  ReplaceDib(image, target);
}

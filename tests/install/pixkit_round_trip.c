/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Built against an installed Pixkit through pkg-config: writes a 3 x 2
   picture as BMP, reads it back and checks a pixel, so headers, library
   name and symbols of the installed files all have to fit. */
#include <pixkit/pixkit.h>
#include <stdio.h>

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  TDibImage made = newdib(3, 2, 24, NULL, 0);
  if (made.Bits == NULL) return 3;
  setpixel(&made, 2, 1, 0x123456u);
  const int saved = SaveDib(&made, argv[1], PIXKIT_FORMAT_BMP, NULL);
  deldib(&made);
  if (!saved) return 4;
  TDibImage read = OpenDib(argv[1], 0, NULL);
  if (read.Bits == NULL) return 5;
  const uint32_t pixel = getpixel(&read, 2, 1);
  deldib(&read);
  if (pixel != 0x123456u) {
    fprintf(stderr, "pixel %06x\n", (unsigned)pixel);
    return 6;
  }
  puts("pixkit round trip ok");
  return 0;
}

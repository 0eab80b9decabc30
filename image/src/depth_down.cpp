#include "image/depth_down.h"

// The popularity palette and the dithering are not built yet: until then
// reduced pictures are written at 24 bits.
void DepthDownTo(TDibImage& /*image*/, int /*depth*/) {}

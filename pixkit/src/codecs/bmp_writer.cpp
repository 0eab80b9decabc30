#include "codecs.h"

namespace pixkit {

Status encode_bmp(const PictureView&, OutputFile&) { return fail("bmp: writer not built yet"); }
Status encode_rle_bmp(const PictureView&, OutputFile&) { return fail("bmp: writer not built yet"); }
}  // namespace pixkit

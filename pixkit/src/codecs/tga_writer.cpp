#include "codecs.h"

namespace pixkit {

Status encode_tga(const PictureView&, OutputFile&) { return fail("tga: writer not built yet"); }
}  // namespace pixkit

#include "codecs.h"

namespace pixkit {

Status encode_tiff(const PictureView&, OutputFile&) { return fail("tiff: writer not built yet"); }
}  // namespace pixkit

#include "codecs.h"

namespace pixkit {

Status encode_jpeg(const PictureView&, OutputFile&, int) { return fail("jpeg: writer not built yet"); }
}  // namespace pixkit

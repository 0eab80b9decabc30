#include "codecs.h"

namespace pixkit {

Status encode_jp2(const PictureView&, OutputFile&) { return fail("jp2: writer not built yet"); }
}  // namespace pixkit

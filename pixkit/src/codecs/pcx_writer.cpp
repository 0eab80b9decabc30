#include "codecs.h"

namespace pixkit {

Status encode_pcx(const PictureView&, OutputFile&) { return fail("pcx: writer not built yet"); }
}  // namespace pixkit

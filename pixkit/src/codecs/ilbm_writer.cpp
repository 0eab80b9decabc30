#include "codecs.h"

namespace pixkit {

Status encode_ilbm(const PictureView&, OutputFile&) { return fail("ilbm: writer not built yet"); }
}  // namespace pixkit

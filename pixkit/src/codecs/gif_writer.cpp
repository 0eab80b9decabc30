#include "codecs.h"

namespace pixkit {

Status encode_gif(const PictureView&, OutputFile&) { return fail("gif: writer not built yet"); }
}  // namespace pixkit

#include "codecs.h"

namespace pixkit {

Result<Picture> decode_tiff(ByteSpan) { return fail("tiff: reader not built yet"); }

}  // namespace pixkit

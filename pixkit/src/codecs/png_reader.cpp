#include "codecs.h"

namespace pixkit {

Result<Picture> decode_png(ByteSpan) { return fail("png: reader not built yet"); }

}  // namespace pixkit

#include "codecs.h"

namespace pixkit {

Result<Picture> decode_bmp(ByteSpan) { return fail("bmp: reader not built yet"); }

}  // namespace pixkit

#include "codecs.h"

namespace pixkit {

Result<Picture> decode_ilbm(ByteSpan) { return fail("ilbm: reader not built yet"); }

}  // namespace pixkit

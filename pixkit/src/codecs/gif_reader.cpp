#include "codecs.h"

namespace pixkit {

Result<Picture> decode_gif(ByteSpan) { return fail("gif: reader not built yet"); }

}  // namespace pixkit

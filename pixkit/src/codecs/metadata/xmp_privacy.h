// SPDX-License-Identifier: LGPL-2.1-or-later
// Taking the position out of a JPEG source's XMP, as the GPS directory is
// taken out of its EXIF block: every exif:GPS property goes, whether
// written as an attribute or as an element; creator, rights, captions and
// place names stay.
#pragma once

#include <vector>

#include "core/picture.h"

namespace pixkit {

// Removes the exif:GPS properties from the XMP packets among segments.
// Extended XMP, where a position may be cut across any two of its parts,
// is left out whole, and so is a packet whose GPS property does not end
// where XML says it must: the export then carries less, never a position.
void remove_xmp_gps(std::vector<KeptSegment>& segments);

}  // namespace pixkit

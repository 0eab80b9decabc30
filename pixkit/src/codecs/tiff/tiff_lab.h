// SPDX-License-Identifier: LGPL-2.1-or-later
// CIE L*a*b* TIFFs (photometric CIELab and ICCLab) to sRGB.
#pragma once

#include "core/picture.h"
#include "core/result.h"
#include "tiff_rows.h"

namespace pixkit {

// 8- or 16-bit contiguous samples: L* alone (grey) or L*, a*, b* with an
// optional alpha sample. TIFF's L*a*b* is relative to D50; it is adapted to
// sRGB's D65 white with the Bradford transform, so that L* 100 is white.
Result<Picture> read_cie_lab(TiffRowSource& rows, const TiffLayout& layout);

}  // namespace pixkit

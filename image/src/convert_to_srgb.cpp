// SPDX-License-Identifier: GPL-3.0-or-later
// Every call makes its own lcms2 context, profiles and transform, so
// workers converting at the same time share nothing.
#include "image/convert_to_srgb.h"

#include <lcms2.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "image/dib_access.h"

namespace {

struct ContextFree {
  void operator()(_cmsContext_struct* c) const { cmsDeleteContext(c); }
};
struct ProfileFree {
  void operator()(void* p) const { cmsCloseProfile(cmsHPROFILE(p)); }
};
struct TransformFree {
  void operator()(void* t) const { cmsDeleteTransform(cmsHTRANSFORM(t)); }
};
using ContextHandle = std::unique_ptr<_cmsContext_struct, ContextFree>;
using ProfileHandle = std::unique_ptr<void, ProfileFree>;
using TransformHandle = std::unique_ptr<void, TransformFree>;

// lcms2's own sRGB profile as bytes, to be kept with the record.
std::vector<uint8_t> srgb_profile_bytes(cmsContext context) {
  ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context));
  cmsUInt32Number size = 0;
  if (!srgb || !cmsSaveProfileToMem(srgb.get(), nullptr, &size) || size == 0) return {};
  std::vector<uint8_t> bytes(size);
  if (!cmsSaveProfileToMem(srgb.get(), bytes.data(), &size) || size < 128) return {};
  // lcms2 stamps a new profile with the time it was made, so two runs, or
  // two workers of one run a second apart, would write different bytes for
  // the same picture. A fixed date (2000-01-01 00:00:00) keeps outputs
  // reproducible; a profile ID over the old date would no longer match, so
  // it is cleared (all zeros: not computed).
  static constexpr uint8_t kFixedDate[12] = {0x07, 0xD0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
  std::copy(std::begin(kFixedDate), std::end(kFixedDate), bytes.begin() + 24);
  std::fill(bytes.begin() + 84, bytes.begin() + 100, uint8_t(0));
  return bytes;
}

// Whether lcms2 can take the profile as the meaning of a 24- or 32-bit
// record's values: whole, an RGB device profile, and one it can build a
// transform to sRGB from (a cut-off profile opens but fails there).
bool profile_fits_rgb_pixels(cmsContext context, const uint8_t* profile, size_t size) {
  ProfileHandle source(cmsOpenProfileFromMemTHR(context, profile, cmsUInt32Number(size)));
  if (!source || cmsGetColorSpace(source.get()) != cmsSigRgbData) return false;
  const cmsProfileClassSignature kind = cmsGetDeviceClass(source.get());
  if (kind != cmsSigInputClass && kind != cmsSigDisplayClass && kind != cmsSigOutputClass &&
      kind != cmsSigColorSpaceClass)
    return false;
  ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context));
  if (!srgb) return false;
  TransformHandle transform(cmsCreateTransformTHR(context, source.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8,
                                                  INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE));
  return transform != nullptr;
}

}  // namespace

bool DropUnusableIccProfile(TDibImage& image) {
  const uint8_t* profile = nullptr;
  size_t size = 0;
  if (PixkitGetIccProfile(&image, &profile, &size) != 1 || size == 0) return false;
  const int bits = DibBitCount(image);
  ContextHandle context(cmsCreateContext(nullptr, nullptr));
  if (!context) return false;
  if ((bits == 24 || bits == 32) && profile_fits_rgb_pixels(context.get(), profile, size)) return false;
  return PixkitSetIccProfile(&image, nullptr, 0) == 1;
}

bool ConvertToSrgb(TDibImage& image) {
  const int bits = DibBitCount(image);
  if ((bits != 24 && bits != 32) || !DibHoldsPixels(image, bits)) return false;
  ContextHandle context(cmsCreateContext(nullptr, nullptr));
  if (!context) return false;
  const std::vector<uint8_t> srgb_bytes = srgb_profile_bytes(context.get());
  if (srgb_bytes.empty()) return false;
  const uint8_t* profile = nullptr;
  size_t size = 0;
  if (PixkitGetIccProfile(&image, &profile, &size) == 1 && size > 0) {
    ProfileHandle source(cmsOpenProfileFromMemTHR(context.get(), profile, cmsUInt32Number(size)));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigRgbData) return false;
    ProfileHandle srgb(cmsCreate_sRGBProfileTHR(context.get()));
    if (!srgb) return false;
    const cmsUInt32Number format = bits == 32 ? TYPE_BGRA_8 : TYPE_BGR_8;
    // Alpha is copied, not converted.
    TransformHandle transform(cmsCreateTransformTHR(context.get(), source.get(), format, srgb.get(), format,
                                                    INTENT_PERCEPTUAL, bits == 32 ? cmsFLAGS_COPY_ALPHA : 0));
    if (!transform) return false;
    const int32_t width = DibWidth(image);
    for (int32_t y = 0; y < DibHeight(image); ++y)
      cmsDoTransform(transform.get(), DibRow(image, y), DibRow(image, y), cmsUInt32Number(width));
  }
  return PixkitSetIccProfile(&image, srgb_bytes.data(), srgb_bytes.size()) == 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Marks past the job's own picture and text: any number of pictures and
// texts, each with everything those two have, plus a margin for each axis,
// a blend mode and a filter by orientation. They are stamped in list order
// after the job's picture and text; a job without them stamps exactly as
// before.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"

// How a mark's colour meets the picture's, channel by channel, before the
// transparency mixes the result in as it mixes a "normal" mark: the W3C
// compositing formulas.
enum class MarkBlend : uint8_t { kNormal = 0, kMultiply = 1, kScreen = 2, kOverlay = 3, kSoftLight = 4 };

// Which pictures a mark is stamped on.
enum class MarkOrientation : uint8_t {
  kAll = 0,
  kLandscape = 1,  // width > height
  kPortrait = 2,   // height > width
};

// A margin in pixels, or in percent of the picture's width (the x margin)
// or height (the y margin).
struct MarkMargin {
  double value = 20;
  bool percent = false;
  bool operator==(const MarkMargin&) const = default;
};

// A picture's pixels shared by the workers of a run, released once.
using SharedMarkPicture = std::shared_ptr<const TDibImage>;
// Takes over a record (24 or 32 bits) loaded for a picture mark.
SharedMarkPicture ShareMarkPicture(TDibImage record);

struct FurtherMark {
  bool is_text = false;
  // A picture mark: its pixels and settings (position, transparency and
  // options; the margins below take the place of the settings' margin).
  SharedMarkPicture picture;
  PictureStampSettings picture_settings;
  // A text mark: its text (text variables apply), font and options.
  TextStampSettings text_settings;
  MarkMargin margin_x;
  MarkMargin margin_y;
  MarkBlend blend = MarkBlend::kNormal;
  MarkOrientation only = MarkOrientation::kAll;
};

// Whether the mark is stamped on a picture of width x height.
bool MarkAppliesTo(const FurtherMark& mark, int64_t width, int64_t height);

// A picture mark's settings for a picture of width x height: its margins
// in pixels.
PictureStampSettings PictureMarkSettings(const FurtherMark& mark, int64_t width, int64_t height);

// A text mark's settings for one source (path as opened, its place in the
// list from 1) of width x height: margins in pixels, variables replaced.
TextStampSettings TextMarkSettings(const FurtherMark& mark, const std::string& source, int64_t number,
                                   int64_t width, int64_t height);

// Stamps every mark that applies, in list order.
void StampFurtherMarks(TDibImage& image, const std::vector<FurtherMark>& marks, const std::string& source,
                       int64_t number);

// SPDX-License-Identifier: GPL-3.0-or-later
// The run's side of keeping a JPEG's untouched blocks: which pixels the
// marks can reach, and the stamping of the decoded MCUs under them.
//
// The library hands over a record of the picture's full upright size in
// which the MCUs under the reach hold the decoded picture; StampSource
// stamps it as it stamps a whole loaded picture, so placement, sizes and
// variables are worked out from the same size and every pixel a mark
// changes gets the value the ordinary path gives it. The reach is a bound,
// never the exact shape: a rectangle around each mark, widened by its
// outline, shadow and turn and a margin for sampling, so no changed pixel
// lies outside the MCUs that are coded again.
#include "output/keep_jpeg_blocks.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <algorithm>
#include <cmath>
#include <exception>

#include "image/dib_access.h"
#include "run/mark_sprite.h"
#include "run/plain_text_pass.h"
#include "run/stamp_source.h"
#include "run/text_font.h"
#include "run/text_variables.h"
#include "stamp/text_area.h"

namespace {

// Bilinear sampling of a scaled or turned mark reaches a pixel past its
// block; rounding of positions another.
constexpr int64_t kSamplingMargin = 2;

PixkitRect rect_of(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const auto held = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
  return PixkitRect{held(x0), held(y0), held(x1), held(y1)};
}

PixkitRect whole(int64_t width, int64_t height) { return rect_of(0, 0, width, height); }

// area (absolute pixels) turned by angle around the centre of the block at
// (left, top) of block_width x block_height: every point stays within the
// circle through the area's farthest corner.
PixkitRect reach_of(const TextArea& area, int64_t left, int64_t top, int64_t block_width,
                    int64_t block_height, double angle) {
  const int64_t m = kSamplingMargin;
  const MarkTurn turn = MarkTurnOf(angle);
  if (turn.cos == 1 && turn.sin == 0) return rect_of(area.x0 - m, area.y0 - m, area.x1 + m, area.y1 + m);
  const double cx = double(left) + double(block_width) / 2, cy = double(top) + double(block_height) / 2;
  const double dx = std::max(std::abs(double(area.x0) - cx), std::abs(double(area.x1) - cx));
  const double dy = std::max(std::abs(double(area.y0) - cy), std::abs(double(area.y1) - cy));
  const auto r = int64_t(std::ceil(std::hypot(dx, dy))) + m;
  return rect_of(int64_t(std::floor(cx)) - r, int64_t(std::floor(cy)) - r, int64_t(std::ceil(cx)) + r,
                 int64_t(std::ceil(cy)) + r);
}

void add_picture_reach(const TDibImage* watermark, const PictureStampSettings& settings, int64_t width,
                       int64_t height, std::vector<PixkitRect>& reach) {
  if (watermark == nullptr || watermark->Bits == nullptr) return;
  const BlockPlacement place =
      PlacePicture(settings, width, height, DibWidth(*watermark), DibHeight(*watermark));
  if (!place.valid) return;
  if (settings.options.tile.enabled) {
    reach.push_back(whole(width, height));
    return;
  }
  // Nearest-neighbour sampling of a scaled picture takes in the pixels
  // just before the block whose quotient truncates to 0 (MapPictureAxis).
  const int64_t lead = place.scale != 1.0 ? int64_t(std::ceil(std::max(place.scale, 1.0))) : 0;
  const TextArea block{place.left - lead, place.top - lead, place.left + place.width,
                       place.top + place.height};
  reach.push_back(reach_of(block, place.left, place.top, place.width, place.height, settings.options.angle));
}

// own: the text's settings with its variables replaced for this source.
void add_text_reach(const TextStampSettings& own, int64_t width, int64_t height,
                    std::vector<PixkitRect>& reach) {
  // Without the application object the text pass draws nothing.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  const TextStampSettings sized = SizeTextForImage(own, width, height);
  const TextBlockLayout layout = LayOutTextBlock(sized, width, height);
  if (layout.lines.empty() || !layout.place.valid) return;
  const TextOptions& options = sized.options;
  if (options.tile.enabled) {
    reach.push_back(whole(width, height));
    return;
  }
  const QFontMetrics metrics = TextFontMetrics(MakeTextQFont(sized.font));
  TextArea lines;
  for (size_t i = 0; i < layout.lines.size(); ++i)
    lines =
        UniteAreas(lines, TextLineArea(metrics, QString::fromStdString(layout.lines[i]), layout.place.left,
                                       layout.place.top + int64_t(i) * layout.line_height,
                                       layout.line_widths[i], layout.line_height, layout.ascent));
  if (lines.empty()) return;
  // What the outline and the shadow add, held to the ranges the pass holds
  // them to.
  const int64_t outline = options.outline ? std::clamp(options.outline_width, 0, kMaxOutlineWidth) : 0;
  const int64_t blur =
      options.shadow ? 2 * int64_t(std::clamp(options.shadow_blur, 0, kMaxShadowBlur)) + 1 : 0;
  const int64_t dx = options.shadow ? std::clamp(options.shadow_dx, -kMaxShadowOffset, kMaxShadowOffset) : 0;
  const int64_t dy = options.shadow ? std::clamp(options.shadow_dy, -kMaxShadowOffset, kMaxShadowOffset) : 0;
  const int64_t spread = outline + blur;
  const TextArea area{
      lines.x0 - spread - std::max<int64_t>(0, -dx), lines.y0 - spread - std::max<int64_t>(0, -dy),
      lines.x1 + spread + std::max<int64_t>(0, dx), lines.y1 + spread + std::max<int64_t>(0, dy)};
  reach.push_back(
      reach_of(area, layout.place.left, layout.place.top, layout.width, layout.height, options.angle));
}

// What the library's stamping call needs, and what the stamping threw.
struct StampRequest {
  const WatermarkJob* job;
  const std::string* source;
  int64_t number;
  PixkitJpegBlocksInfo size;  // the reach was worked out for this size
  const std::function<void()>* loaded;
  std::exception_ptr failure;
};

int stamp_blocks(void* owner, TDibImage* picture) {
  auto* request = static_cast<StampRequest*>(owner);
  // A source replaced since it was measured is left to the ordinary path.
  if (DibWidth(*picture) != request->size.width || DibHeight(*picture) != request->size.height) return 0;
  try {
    if (*request->loaded) (*request->loaded)();
    StampSource(*picture, *request->job, *request->source, request->number);
    return 1;
  } catch (...) {
    // Not across the library: it gives the save up, the run rethrows.
    request->failure = std::current_exception();
    return 0;
  }
}

}  // namespace

bool ExportForbidsKeptJpegBlocks(const ExportOptions& output) {
  const bool same_format =
      output.format == ExportFormat::kSameAsSource || output.format == ExportFormat::kJpeg;
  // Kept blocks carry the source's metadata as the ordinary save keeps it
  // all; a policy that strips some is the ordinary path's to apply.
  // A chosen chroma subsampling is a change of colour planes: the source's
  // sampling, which kept blocks keep, would not be it.
  // A file-size cap chooses the quality, which kept blocks do not have.
  return output.size.mode != ExportSizeMode::kNone || !same_format || output.convert_to_srgb ||
         output.metadata != MetadataPolicy::kAll ||
         (output.jpeg.chroma != ChromaSubsampling::kLibraryDefault &&
          output.jpeg.chroma != ChromaSubsampling::kSameAsSource) ||
         output.max_file_size > 0;
}

std::vector<PixkitRect> MarkReach(const WatermarkJob& job, const std::string& source, int64_t number,
                                  int64_t width, int64_t height) {
  std::vector<PixkitRect> reach;
  if (job.add_picture) add_picture_reach(job.watermark, job.picture, width, height, reach);
  if (job.add_text) {
    TextStampSettings own = job.text;
    if (own.options.variables)
      own.text = ReplaceTextVariables(
          own.text, ReadSourceFacts(source, number, width, height, TextNeedsCaptureFacts(own.text)));
    add_text_reach(own, width, height, reach);
  }
  for (const FurtherMark& mark : job.further_marks) {
    if (!MarkAppliesTo(mark, width, height)) continue;
    if (mark.is_text)
      add_text_reach(TextMarkSettings(mark, source, number, width, height), width, height, reach);
    else
      add_picture_reach(mark.picture.get(), PictureMarkSettings(mark, width, height), width, height, reach);
  }
  return reach;
}

KeptBlocksSave SaveKeepingJpegBlocks(const WatermarkJob& job, const std::string& source, int64_t number,
                                     const PixkitJpegBlocksInfo& info, const std::string& output,
                                     const PixkitCallOptions* call, const std::function<void()>& loaded) {
  KeptBlocksSave save;
  const std::vector<PixkitRect> reach = MarkReach(job, source, number, info.width, info.height);
  StampRequest request{&job, &source, number, info, &loaded, nullptr};
  const int result =
      PixkitSaveJpegKeepingBlocks(source.c_str(), output.c_str(), reach.data(), int(reach.size()),
                                  &stamp_blocks, &request, call, &save.reason);
  if (request.failure) std::rethrow_exception(request.failure);
  if (result == PIXKIT_BLOCKS_DECLINED) return save;
  save.applied = true;
  save.written = result == 1;
  return save;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/stamp_source.h"

#include "image/depth_down.h"
#include "image/dib_access.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"
#include "run/text_variables.h"

namespace {

// The text settings with the variables replaced for this source.
TextStampSettings text_for_source(const TextStampSettings& text, const std::string& source, int64_t number,
                                  const TDibImage& record) {
  TextStampSettings own = text;
  own.text = ReplaceTextVariables(
      text.text,
      ReadSourceFacts(source, number, DibWidth(record), DibHeight(record), TextNeedsCaptureFacts(text.text)));
  return own;
}

}  // namespace

void StampSource(TDibImage& record, const WatermarkJob& job, const std::string& source, int64_t number) {
  if (job.add_picture && job.watermark != nullptr) StampPicture(record, *job.watermark, job.picture);
  if (job.add_text && job.text.options.variables)
    StampText(record, text_for_source(job.text, source, number, record));
  else if (job.add_text)
    StampText(record, job.text);
  if (!job.further_marks.empty()) StampFurtherMarks(record, job.further_marks, source, number);
}

void BringBackToSourceDepth(TDibImage& record, const SourceDepth& depth) {
  if (depth.bit_count == 32) {
    RestoreAlpha(record, depth.alpha);
  } else if (depth.bit_count != 24) {
    DepthDownTo(record, depth.bit_count);
  }
}

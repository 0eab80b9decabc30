// SPDX-License-Identifier: LGPL-2.1-or-later
// PixkitProbeJpegBlocks and PixkitSaveJpegKeepingBlocks: the order of the
// steps of jpeg_blocks.h. Anything that goes wrong before the output is
// written gives the save up unwritten (PIXKIT_BLOCKS_DECLINED), so the
// caller's ordinary save meets the same source and reports it as it always
// has; only the write itself fails as a save.
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "codecs/format_sniff.h"
#include "core/progress.h"
#include "core/record_storage.h"
#include "core/safe_save.h"
#include "core/sized_struct.h"
#include "core/source_file.h"
#include "jpeg_blocks.h"

using namespace pixkit;

namespace {

// Closes the source's descriptor and ends its decoder, whatever happens.
class OpenedSource {
 public:
  explicit OpenedSource(const char* path) {
    int reason = PIXKIT_REASON_NONE;
    fd_ = path ? open_source_file(path, size_, reason) : -1;
    if (fd_ >= 0) {
      file_ = std::make_unique<FileSource>(fd_, size_);
      job_ = std::make_unique<BlockJob>();
      job_->file = file_.get();
    }
  }
  ~OpenedSource() {
    if (job_) close_block_source(*job_);
    if (fd_ >= 0) ::close(fd_);
  }
  OpenedSource(const OpenedSource&) = delete;
  OpenedSource& operator=(const OpenedSource&) = delete;

  // A JPEG whose header was read; with the coefficients when read_all_if
  // agreed.
  bool open(const std::function<bool(const BlockJob&)>& read_all_if) {
    if (!job_ || sniff_format(*file_) != FileFormat::Jpeg) return false;
    return open_block_source(*job_, read_all_if) == nullptr && job_->eligible;
  }
  BlockJob& job() { return *job_; }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  std::unique_ptr<FileSource> file_;
  std::unique_ptr<BlockJob> job_;
};

class RecordRelease {
 public:
  explicit RecordRelease(TDibImage& record) : record_(record) {}
  ~RecordRelease() { deldib(&record_); }
  RecordRelease(const RecordRelease&) = delete;
  RecordRelease& operator=(const RecordRelease&) = delete;

 private:
  TDibImage& record_;
};

uint8_t* upright_pixel(const TDibImage& record, int32_t height, int32_t x, int32_t y) {
  return record.Bits + int64_t(height - 1 - y) * record.RowBytes + 3 * int64_t(x);
}

// Copies the window's stored pixels to their upright places in the record
// (to_record), or back.
void move_window_pixels(const BlockGeometry& g, const BlockRect& px, std::vector<uint8_t>& bgr,
                        const TDibImage& record, bool to_record) {
  const int32_t height = g.upright_height();
  uint8_t* p = bgr.data();
  for (int32_t y = px.top; y < px.bottom; ++y)
    for (int32_t x = px.left; x < px.right; ++x, p += 3) {
      int32_t ux, uy;
      upright_of_stored(g, x, y, ux, uy);
      uint8_t* q = upright_pixel(record, height, ux, uy);
      if (to_record)
        q[0] = p[0], q[1] = p[1], q[2] = p[2];
      else
        p[0] = q[0], p[1] = q[1], p[2] = q[2];
    }
}

int probe(const char* path, PixkitJpegBlocksInfo& info) {
  OpenedSource source(path);
  if (!source.open(nullptr)) return 0;
  info.width = source.job().geometry.upright_width();
  info.height = source.job().geometry.upright_height();
  return 1;
}

// The MCUs under the windows (touched) and, for the bit copy, those whose
// blocks the window steps and the writer read (wanted): the touched ones,
// their margins and the MCU after each.
void mark_mcus(const BlockGeometry& g, const std::vector<BlockRect>& windows, std::vector<uint8_t>& touched,
               std::vector<uint8_t>& wanted) {
  const size_t across = size_t(g.mcus_across), count = across * size_t(g.mcus_down);
  touched.assign(count, 0);
  wanted.assign(count, 0);
  for (const BlockRect& w : windows) {
    for (int32_t y = w.top; y < w.bottom; ++y)
      for (int32_t x = w.left; x < w.right; ++x) touched[size_t(y) * across + size_t(x)] = 1;
    for (int32_t y = std::max(w.top - 1, 0); y < std::min(w.bottom + 1, g.mcus_down); ++y)
      for (int32_t x = std::max(w.left - 1, 0); x < std::min(w.right + 1, g.mcus_across); ++x)
        wanted[size_t(y) * across + size_t(x)] = 1;
  }
  for (size_t m = 0; m + 1 < count; ++m)
    if (touched[m]) wanted[m + 1] = 1;
}

// One attempt with the ways allowed; a source whose blocks the chosen way
// cannot write after all sets retry, and is done again by the coefficient
// path.
int save_keeping_blocks(const char* source_path, const char* target, const PixkitRect* rects, int rect_count,
                        PixkitStampBlocksFn stamp, void* stamp_owner, int allowed, bool& retry, int& reason,
                        KeptBlocksWay& taken) {
  OpenedSource source(source_path);
  std::vector<BlockRect> windows;
  bool too_many = false, bit_copy = false, recode = false;
  const bool opened = source.open([&](const BlockJob& job) {
    windows = mcu_rects_under(job.geometry, rects, rect_count);
    const int64_t all = int64_t(job.geometry.mcus_across) * job.geometry.mcus_down;
    too_many = count_covered_mcus(job.geometry, windows) * 2 > all;
    if (too_many || !bit_copy_suits(job.src)) return !too_many && (allowed & kCoefficients);
    // Tables that code every block: the bit copy. Tables made for the
    // source alone may still code the touched blocks (then the bit copy
    // does), else the scan is recoded.
    const bool standard = scan_tables_code_everything(job.src);
    bit_copy = (allowed & kBitCopy) && (standard || (allowed & kRecoded));
    recode = (allowed & kRecoded) && (!bit_copy || !standard);
    return !bit_copy && !recode && (allowed & kCoefficients);
  });
  BlockJob& job = source.job();
  if (!opened || too_many || !target) return PIXKIT_BLOCKS_DECLINED;
  const BlockGeometry& g = job.geometry;
  std::vector<uint8_t> touched, wanted;
  if (bit_copy || recode) {
    mark_mcus(g, windows, touched, wanted);
    if (read_scan_for_bit_copy(job, wanted, recode ? &touched : nullptr)) {
      retry = true;  // libjpeg reads what it can of a scan we cannot
      return PIXKIT_BLOCKS_DECLINED;
    }
  } else if (!job.coefficients) {
    return PIXKIT_BLOCKS_DECLINED;
  }
  report_progress(1, 4);

  auto picture = Picture::create(g.upright_width(), g.upright_height(), 24, true);
  if (!picture) return PIXKIT_BLOCKS_DECLINED;
  TDibImage record = record_from_picture(std::move(picture.value()));
  RecordRelease release(record);
  if (!record.Bits) return PIXKIT_BLOCKS_DECLINED;
  std::vector<uint8_t> bgr;
  for (const BlockRect& window : windows) {
    const BlockRect px = pixels_of_mcus(g, window);
    bgr.resize(size_t(px.right - px.left) * size_t(px.bottom - px.top) * 3);
    if (decode_block_window(job, window, bgr.data())) return PIXKIT_BLOCKS_DECLINED;
    move_window_pixels(g, px, bgr, record, true);
  }
  report_progress(2, 4);
  if (stamp && !stamp(stamp_owner, &record)) return PIXKIT_BLOCKS_DECLINED;
  for (const BlockRect& window : windows) {
    const BlockRect px = pixels_of_mcus(g, window);
    bgr.resize(size_t(px.right - px.left) * size_t(px.bottom - px.top) * 3);
    move_window_pixels(g, px, bgr, record, false);
    if (requantise_block_window(job, window, bgr.data())) return PIXKIT_BLOCKS_DECLINED;
  }
  report_progress(3, 4);
  std::vector<uint8_t> copied;
  KeptBlocksWay way = kCoefficients;
  if (bit_copy && write_bit_copy(job, touched, copied)) {
    way = kBitCopy;
  } else if (recode) {
    copied.clear();
    if (!write_recoded(job, touched, copied)) {
      retry = true;
      return PIXKIT_BLOCKS_DECLINED;
    }
    way = kRecoded;
  } else if (bit_copy) {
    retry = true;
    return PIXKIT_BLOCKS_DECLINED;
  }
  const bool in_memory = way != kCoefficients;
  const Status status = save_atomically(
      target,
      [&](OutputFile& out) -> Status {
        if (in_memory) {
          out.write(copied.data(), copied.size());
          return out.failed() ? fail("jpeg: write to the file failed") : Status{};
        }
        if (const char* failure = write_block_coefficients(job, out)) return fail(failure);
        return {};
      },
      &reason);
  if (!status.ok()) return 0;
  report_progress(4, 4);
  taken = way;
  return 1;
}

}  // namespace

namespace pixkit {

int save_jpeg_keeping_blocks(const char* source, const char* target, const PixkitRect* rects, int rect_count,
                             PixkitStampBlocksFn stamp, void* stamp_owner, const PixkitCallOptions* options,
                             int* reason, int allowed_ways, KeptBlocksWay* taken) {
  int why = PIXKIT_REASON_NONE;
  int result = PIXKIT_BLOCKS_DECLINED;
  KeptBlocksWay way = kCoefficients;
  const auto call = held_call_options(options);
  if (!call) {
    if (reason) *reason = PIXKIT_REASON_STRUCT_SIZE;
    return 0;
  }
  try {
    ProgressScope progress(call->progress_owner, call->progress);
    bool retry = false;
    result = save_keeping_blocks(source, target, rects, rect_count, stamp, stamp_owner, allowed_ways, retry,
                                 why, way);
    if (retry && (allowed_ways & kCoefficients))
      result = save_keeping_blocks(source, target, rects, rect_count, stamp, stamp_owner, kCoefficients,
                                   retry, why, way);
  } catch (...) {
    // Only an allocation throws here; the ordinary save may still manage.
    result = PIXKIT_BLOCKS_DECLINED;
  }
  if (reason)
    *reason = result != 0 ? PIXKIT_REASON_NONE : why == PIXKIT_REASON_NONE ? PIXKIT_REASON_IO_ERROR : why;
  if (taken) *taken = way;
  return result;
}

}  // namespace pixkit

extern "C" {

PIXKIT_API int PixkitProbeJpegBlocks(const char* path, PixkitJpegBlocksInfo* info) {
  if (info && stated_size(info) < PIXKIT_STRUCT_SIZE_MIN) return 0;
  PixkitJpegBlocksInfo found = PixkitJpegBlocksInfoInit();
  int eligible = 0;
  try {
    eligible = probe(path, found);
  } catch (...) {
    eligible = 0;  // only an allocation throws here
  }
  if (info) write_sized(info, eligible ? found : PixkitJpegBlocksInfoInit());
  return eligible;
}

PIXKIT_API int PixkitSaveJpegKeepingBlocks(const char* source, const char* target, const PixkitRect* rects,
                                           int rect_count, PixkitStampBlocksFn stamp, void* stamp_owner,
                                           const PixkitCallOptions* options, int* reason) {
  return save_jpeg_keeping_blocks(source, target, rects, rect_count, stamp, stamp_owner, options, reason,
                                  kBitCopy | kRecoded | kCoefficients, nullptr);
}

}  // extern "C"

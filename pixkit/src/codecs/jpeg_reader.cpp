// SPDX-License-Identifier: LGPL-2.1-or-later
// JPEG reading over libjpeg-turbo: the decoder writes blue, green, red
// straight into the picture's bottom-up rows; EXIF and ICC are kept, and a
// photo with an EXIF orientation is turned upright.
#include <cstdio>
#include <cstring>
#include <new>

#include "../core/limits.h"
#include "../core/progress.h"
#include "codecs.h"
#include "exif_block.h"
#include "jpeg_error.h"
#include "jpeg_markers.h"
#include "jpeg_orientation.h"
#include "jpeg_source.h"

namespace pixkit {
namespace {

// Progressive files may hold any number of scans, each a pass over the
// whole picture; a hostile file uses that to spin for hours.
constexpr int kMaxScans = 500;
// Rows handed to one jpeg_read_scanlines call.
constexpr int kRowsPerRead = 16;

// Everything that outlives a jump back into run_decompressor lives here, in
// the caller's frame.
struct DecodeJob {
  const RangeSource* file = nullptr;
  JpegSourceManager source;
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  jpeg_progress_mgr progress;
  Picture picture;
  std::vector<uint8_t> cmyk_row;
  Metadata metadata;
};

void watch_progress(j_common_ptr cinfo) {
  const auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxScans) abort_jpeg(cinfo, "jpeg: too many scans");
  const jpeg_progress_mgr* p = cinfo->progress;
  if (p->pass_limit > 0 && p->total_passes > 0)
    report_progress(uint64_t(p->completed_passes) * uint64_t(p->pass_limit) + uint64_t(p->pass_counter),
                    uint64_t(p->total_passes) * uint64_t(p->pass_limit));
}

int32_t pixels_per_meter(const jpeg_decompress_struct& cinfo, unsigned density) {
  if (!cinfo.saw_JFIF_marker || density == 0) return 0;
  if (cinfo.density_unit == 1) return int32_t((density * 10000u + 127u) / 254u);  // dots per inch
  if (cinfo.density_unit == 2) return int32_t(density * 100u);                    // dots per cm
  return 0;
}

// Allocation happens outside libjpeg calls, so no jump ever crosses it.
const char* allocate_output(DecodeJob& job, bool cmyk) {
  auto picture =
      Picture::create(int32_t(job.cinfo.output_width), int32_t(job.cinfo.output_height), 24, false);
  if (!picture) return picture.error();
  job.picture = std::move(picture.value());
  if (cmyk) {
    try {
      job.cmyk_row.resize(size_t(job.cinfo.output_width) * 4);
    } catch (const std::bad_alloc&) {
      return "jpeg: out of memory";
    }
  }
  return nullptr;
}

uint8_t multiply(unsigned a, unsigned b) { return uint8_t((a * b + 127u) / 255u); }

// libjpeg hands CMYK and YCCK over as the inverted values Adobe writes
// (0 = full ink); without an Adobe marker the values are plain ink.
void cmyk_to_bgr(const uint8_t* cmyk, uint8_t* bgr, uint32_t width, bool inverted) {
  for (uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = multiply(y, k);
    bgr[1] = multiply(m, k);
    bgr[2] = multiply(c, k);
  }
}

// The one function that calls setjmp; its locals are all trivially
// destructible. Returns the failure text, or null on success.
const char* run_decompressor(DecodeJob& job) {
  jpeg_decompress_struct& cinfo = job.cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = install_jpeg_errors(job.err);
  if (setjmp(job.err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return job.err.failure ? job.err.failure : "jpeg: damaged file";
  }
  jpeg_create_decompress(&cinfo);
  std::memset(&job.progress, 0, sizeof job.progress);
  job.progress.progress_monitor = watch_progress;
  cinfo.progress = &job.progress;
  use_jpeg_source(&cinfo, job.source, *job.file);
  jpeg_save_markers(&cinfo, kExifMarker, 0xFFFF);
  jpeg_save_markers(&cinfo, kIccMarker, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);

  const char* failure = nullptr;
  if (!check_dimensions(cinfo.image_width, cinfo.image_height).ok())
    failure = "jpeg: picture size over the limit";
  if (!failure && !collect_metadata(cinfo.marker_list, job.metadata)) failure = "jpeg: out of memory";
  if (failure) {
    job.err.too_large = true;
    jpeg_destroy_decompress(&cinfo);
    return failure;
  }
  job.metadata.x_pixels_per_meter = pixels_per_meter(cinfo, cinfo.X_density);
  job.metadata.y_pixels_per_meter = pixels_per_meter(cinfo, cinfo.Y_density);

  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&cinfo);
  failure = allocate_output(job, cmyk);
  if (failure) {
    job.err.too_large = true;
    jpeg_destroy_decompress(&cinfo);
    return failure;
  }

  JSAMPROW rows[kRowsPerRead];
  const uint32_t height = cinfo.output_height;
  while (cinfo.output_scanline < height) {
    const uint32_t first = cinfo.output_scanline;
    JDIMENSION got;
    if (cmyk) {
      rows[0] = job.cmyk_row.data();
      got = jpeg_read_scanlines(&cinfo, rows, 1);
      if (got == 1)
        cmyk_to_bgr(rows[0], job.picture.row(int32_t(first)), cinfo.output_width, cinfo.saw_Adobe_marker);
    } else {
      const uint32_t count =
          height - first < uint32_t(kRowsPerRead) ? height - first : uint32_t(kRowsPerRead);
      // Scanline k (from the top) is image row k, wherever memory keeps it.
      for (uint32_t i = 0; i < count; ++i) rows[i] = job.picture.row(int32_t(first + i));
      got = jpeg_read_scanlines(&cinfo, rows, count);
    }
    if (got == 0) {
      // Our sources never suspend; no progress means a broken stream.
      jpeg_destroy_decompress(&cinfo);
      return "jpeg: decoder made no progress";
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return nullptr;
}

// Turns the picture upright by its EXIF orientation and rewrites the EXIF
// to match. A damaged EXIF block is dropped; the picture stays.
Result<Picture> apply_exif(Picture picture) {
  std::vector<uint8_t>& exif = picture.metadata.exif;
  if (exif.empty()) return picture;
  auto layout = read_exif_layout(exif);
  if (!layout) {
    exif.clear();
    return picture;
  }
  auto upright = turn_upright(std::move(picture), layout->orientation);
  if (!upright) return upright;
  if (!make_exif_upright(upright->metadata.exif, layout.value(), uint32_t(upright->width()),
                         uint32_t(upright->height())))
    upright->metadata.exif.clear();
  return upright;
}

}  // namespace

Result<Picture> decode_jpeg(const RangeSource& file) {
  // Not value-initialised: that would clear the source's whole buffer on
  // every load; run_decompressor sets up what libjpeg reads.
  std::unique_ptr<DecodeJob> job(new DecodeJob);
  job->file = &file;
  if (const char* failure = run_decompressor(*job))
    return job->err.too_large ? fail_too_large(failure) : fail(failure);
  Picture picture = std::move(job->picture);
  picture.metadata = std::move(job->metadata);
  return apply_exif(std::move(picture));
}

}  // namespace pixkit

// SPDX-License-Identifier: LGPL-2.1-or-later
// JPEG reading over libjpeg-turbo: the decoder writes blue, green, red
// straight into the picture's bottom-up rows; EXIF and ICC are kept, and a
// photo with an EXIF orientation is turned upright.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "codecs/codecs.h"
#include "codecs/metadata/exif_block.h"
#include "core/limits.h"
#include "core/progress.h"
#include "jpeg_error.h"
#include "jpeg_markers.h"
#include "jpeg_orientation.h"
#include "jpeg_quality_estimate.h"
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
  DecodeRequest* request = nullptr;  // null: a plain load
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

// The orientation the EXIF block asks for, 1 when there is none to read.
int stored_orientation(const Metadata& metadata) {
  if (metadata.exif.empty()) return 1;
  auto layout = read_exif_layout(metadata.exif);
  return layout ? layout->orientation : 1;
}

// The stored sampling of a three-plane JPEG as the writer names it: both
// colour planes at one sample a block column and row, the brightness
// plane at one or two. Anything else (CMYK, grey, 4:1:1, planes sampled
// apart) is none of the three.
int colour_sampling(const jpeg_decompress_struct& cinfo) {
  if (cinfo.num_components != 3) return 0;
  for (int i = 1; i < 3; ++i)
    if (cinfo.comp_info[i].h_samp_factor != 1 || cinfo.comp_info[i].v_samp_factor != 1) return 0;
  const int h = cinfo.comp_info[0].h_samp_factor, v = cinfo.comp_info[0].v_samp_factor;
  if (h == 1 && v == 1) return PIXKIT_CHROMA_444;
  if (h == 2 && v == 1) return PIXKIT_CHROMA_422;
  if (h == 2 && v == 2) return PIXKIT_CHROMA_420;
  return 0;
}

// Tells the request the source's size and quality and, when it asks for a
// fit, sets the smallest DCT scaling (n/8) that keeps the picture at least
// as large as the fit wants: the decoder then skips most of the inverse
// transform's work, and the resize after it has less to filter.
void answer_request(DecodeJob& job) {
  DecodeRequest& request = *job.request;
  jpeg_decompress_struct& cinfo = job.cinfo;
  const bool turned = stored_orientation(job.metadata) >= 5;
  const uint32_t stored_w = cinfo.image_width, stored_h = cinfo.image_height;
  request.source_width = int32_t(turned ? stored_h : stored_w);
  request.source_height = int32_t(turned ? stored_w : stored_h);
  request.jpeg_quality = estimate_jpeg_quality(cinfo);
  request.jpeg_chroma = colour_sampling(cinfo);
  if (!request.fit) return;
  int32_t min_w = request.source_width, min_h = request.source_height;
  request.fit(request.fit_owner, request.source_width, request.source_height, &min_w, &min_h);
  const uint64_t want_w = uint64_t(std::max<int32_t>(turned ? min_h : min_w, 1));
  const uint64_t want_h = uint64_t(std::max<int32_t>(turned ? min_w : min_h, 1));
  for (unsigned n = 1; n < 8; ++n) {
    // libjpeg rounds the scaled size up.
    if ((uint64_t(stored_w) * n + 7) / 8 >= want_w && (uint64_t(stored_h) * n + 7) / 8 >= want_h) {
      cinfo.scale_num = n;
      cinfo.scale_denom = 8;
      // The picture is filtered down to its output size after this; the
      // chroma's smooth upsampling would be averaged away there, and the
      // plain one saves a good part of the decoding.
      cinfo.do_fancy_upsampling = FALSE;
      return;
    }
  }
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
  jpeg_save_markers(&cinfo, kPhotoshopMarker, 0xFFFF);
  jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
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
  if (job.request) answer_request(job);

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

Result<Picture> decode_jpeg_with(const RangeSource& file, DecodeRequest* request) {
  // Not value-initialised: that would clear the source's whole buffer on
  // every load; run_decompressor sets up what libjpeg reads.
  std::unique_ptr<DecodeJob> job(new DecodeJob);
  job->file = &file;
  job->request = request;
  if (const char* failure = run_decompressor(*job))
    return job->err.too_large ? fail_too_large(failure) : fail(failure);
  Picture picture = std::move(job->picture);
  picture.metadata = std::move(job->metadata);
  return turn_upright_by_exif(std::move(picture));
}

}  // namespace

Result<Picture> decode_jpeg(const RangeSource& file) { return decode_jpeg_with(file, nullptr); }

Result<Picture> decode_jpeg(const RangeSource& file, DecodeRequest& request) {
  return decode_jpeg_with(file, &request);
}

}  // namespace pixkit

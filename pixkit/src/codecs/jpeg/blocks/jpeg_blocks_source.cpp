// SPDX-License-Identifier: LGPL-2.1-or-later
// Opening a JPEG for keeping its blocks: the header, the markers kept as the
// ordinary save keeps them (EXIF and ICC), the test whether the blocks can
// be kept at all, and on request every DCT coefficient.
#include <cstring>
#include <functional>
#include <iterator>

#include "codecs/jpeg/jpeg_markers.h"
#include "codecs/metadata/exif_block.h"
#include "core/limits.h"
#include "jpeg_blocks.h"

namespace pixkit {
namespace {

// Progressive files may hold any number of scans; a hostile file uses that
// to spin for hours (as in the reader).
constexpr int kMaxScans = 500;

void watch_scans(j_common_ptr cinfo) {
  const auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxScans) abort_jpeg(cinfo, "jpeg: too many scans");
}

// 8-bit Huffman-coded grey or YCbCr: what the coefficient copy handles.
// CMYK and YCCK, arithmetic coding and 12-bit samples take the ordinary way.
bool blocks_can_be_kept(const jpeg_decompress_struct& cinfo) {
  if (cinfo.data_precision != 8 || cinfo.arith_code) return false;
  if (cinfo.jpeg_color_space == JCS_GRAYSCALE) return cinfo.num_components == 1;
  if (cinfo.jpeg_color_space == JCS_YCbCr) return cinfo.num_components == 3;
  return false;
}

BlockGeometry geometry_of(const jpeg_decompress_struct& cinfo, int orientation) {
  BlockGeometry g;
  g.width = int32_t(cinfo.image_width);
  g.height = int32_t(cinfo.image_height);
  g.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
  // A single component is coded block by block whatever its factors say;
  // its arrays are still laid out in groups of its factors, which serve as
  // the MCU here.
  g.mcu_width = 8 * cinfo.max_h_samp_factor;
  g.mcu_height = 8 * cinfo.max_v_samp_factor;
  g.mcus_across = int32_t((int64_t(g.width) + g.mcu_width - 1) / g.mcu_width);
  g.mcus_down = int32_t((int64_t(g.height) + g.mcu_height - 1) / g.mcu_height);
  return g;
}

// The EXIF block as the ordinary save keeps it (a damaged one is dropped),
// with its orientation; the ICC profile whole.
int keep_markers(BlockJob& job, Metadata& metadata) {
  int orientation = 1;
  if (!metadata.exif.empty()) {
    auto layout = read_exif_layout(metadata.exif);
    if (layout) {
      orientation = layout->orientation;
      job.exif_marker.assign(std::begin(kExifMarkerHeader), std::end(kExifMarkerHeader));
      job.exif_marker.insert(job.exif_marker.end(), metadata.exif.begin(), metadata.exif.end());
    }
  }
  job.icc = std::move(metadata.icc);
  return orientation;
}

// Whether every block holds what a baseline scan can code: AC values of at
// most 10 bits, and DC values small enough that the difference of any two
// takes at most 11 bits. A valid 8-bit picture's DC values reach -1024 at a
// quantiser of 1 only for pure black; such a rare picture goes the
// ordinary way too.
bool coefficients_in_range(jpeg_decompress_struct& cinfo, jvirt_barray_ptr* arrays) {
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& component = cinfo.comp_info[c];
    for (JDIMENSION row = 0; row < component.height_in_blocks; ++row) {
      JBLOCKARRAY blocks =
          (*cinfo.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&cinfo), arrays[c], row, 1, FALSE);
      for (JDIMENSION b = 0; b < component.width_in_blocks; ++b) {
        const JCOEF* block = blocks[0][b];
        if (block[0] > 1023 || block[0] < -1023) return false;
        for (int k = 1; k < DCTSIZE2; ++k)
          if (block[k] > 1023 || block[k] < -1023) return false;
      }
    }
  }
  return true;
}

}  // namespace

const char* open_block_source(BlockJob& job, const std::function<bool(const BlockJob&)>& read_all_if) {
  jpeg_decompress_struct& cinfo = job.src;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = install_jpeg_errors(job.err);
  if (setjmp(job.err.jump)) return job.err.failure ? job.err.failure : "jpeg: damaged file";
  jpeg_create_decompress(&cinfo);
  job.src_created = true;
  std::memset(&job.progress, 0, sizeof job.progress);
  job.progress.progress_monitor = watch_scans;
  cinfo.progress = &job.progress;
  use_jpeg_source(&cinfo, job.source, *job.file);
  jpeg_save_markers(&cinfo, kExifMarker, 0xFFFF);
  jpeg_save_markers(&cinfo, kIccMarker, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  if (!check_dimensions(cinfo.image_width, cinfo.image_height).ok())
    return "jpeg: picture size over the limit";
  if (!blocks_can_be_kept(cinfo)) return nullptr;
  if (!collect_metadata(cinfo.marker_list, job.metadata)) return "jpeg: out of memory";
  job.geometry = geometry_of(cinfo, keep_markers(job, job.metadata));
  job.progressive = cinfo.progressive_mode;
  job.eligible = true;
  // Where the scan's bytes start: just past the SOS segment just read.
  if (const auto bytes = job.file->in_memory())
    job.scan_offset = uint64_t(cinfo.src->next_input_byte - bytes->data());
  else
    job.scan_offset = job.source.next_offset - cinfo.src->bytes_in_buffer;
  if (read_all_if && read_all_if(job)) {
    job.coefficients = jpeg_read_coefficients(&cinfo);
    // libjpeg reads a damaged scan with a warning and whatever values its
    // codes gave, and its encoder would write them as they stand, into a
    // file that does not decode. Such a source is the ordinary path's,
    // which decodes it to pixels and codes them anew.
    if (job.err.warnings > 0 || !coefficients_in_range(cinfo, job.coefficients)) return "jpeg: damaged scan";
  }
  return nullptr;
}

void close_block_source(BlockJob& job) {
  if (job.src_created) jpeg_destroy_decompress(&job.src);
  job.src_created = false;
  job.coefficients = nullptr;
}

}  // namespace pixkit

// SPDX-License-Identifier: LGPL-2.1-or-later
// Quantising stamped MCUs again with the source's own tables and sampling.
// libjpeg's encoder does the work, so colour conversion, downsampling,
// forward DCT and rounding are the ordinary save's: the stamped pixels of
// the window are encoded as a small JPEG in memory with the source's
// quantisation tables and sampling factors, and its blocks are read back and
// put in place of the source's. The window starts on an MCU boundary, so its
// blocks are the source's blocks; where it ends inside the picture it ends
// on one too, and at the picture's edge it is padded as libjpeg pads there.
#include <algorithm>
#include <cstring>

#include "jpeg_blocks.h"

namespace pixkit {

const char* requantise_block_window(BlockJob& job, const BlockRect& window, const uint8_t* bgr) {
  const BlockRect px = pixels_of_mcus(job.geometry, window);
  const size_t row_bytes = size_t(px.right - px.left) * 3;

  jpeg_compress_struct& out = job.window_out;
  jpeg_decompress_struct& in = job.window_in;
  std::memset(&out, 0, sizeof out);
  std::memset(&in, 0, sizeof in);
  out.err = &job.err.pub;
  in.err = &job.err.pub;
  if (setjmp(job.err.jump)) {
    release_window_scratch(job);
    return job.err.failure ? job.err.failure : "jpeg: window failed";
  }
  jpeg_create_compress(&out);
  jpeg_copy_critical_parameters(&job.src, &out);
  out.image_width = JDIMENSION(px.right - px.left);
  out.image_height = JDIMENSION(px.bottom - px.top);
  out.in_color_space = JCS_EXT_BGR;
  out.input_components = 3;
  out.dct_method = JDCT_ISLOW;
  jpeg_mem_dest(&out, &job.memory_jpeg, &job.memory_jpeg_size);
  jpeg_start_compress(&out, TRUE);
  while (out.next_scanline < out.image_height) {
    // libjpeg only reads the rows.
    JSAMPROW row = const_cast<JSAMPROW>(bgr + size_t(out.next_scanline) * row_bytes);
    jpeg_write_scanlines(&out, &row, 1);
  }
  jpeg_finish_compress(&out);
  jpeg_destroy_compress(&out);

  jpeg_create_decompress(&in);
  jpeg_mem_src(&in, job.memory_jpeg, job.memory_jpeg_size);
  jpeg_read_header(&in, TRUE);
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&in);
  const auto in_common = reinterpret_cast<j_common_ptr>(&in);
  for (int c = 0; c < job.src.num_components; ++c) {
    const jpeg_component_info& comp = job.src.comp_info[c];
    const JDIMENSION h = JDIMENSION(comp.h_samp_factor), v = JDIMENSION(comp.v_samp_factor);
    const JDIMENSION column = JDIMENSION(window.left) * h;
    const JDIMENSION across =
        std::min({JDIMENSION(window.right - window.left) * h, source_blocks_across(job.src, c) - column,
                  source_blocks_across(in, c)});
    const JDIMENSION rows =
        std::min({JDIMENSION(window.bottom - window.top) * v,
                  source_blocks_down(job.src, c) - JDIMENSION(window.top) * v, source_blocks_down(in, c)});
    for (JDIMENSION r = 0; r < rows; ++r)
      copy_block_row(job, c, JDIMENSION(window.top) * v + r, column, in_common, arrays[c], r, across, false);
  }
  release_window_scratch(job);
  return nullptr;
}

}  // namespace pixkit

// SPDX-License-Identifier: LGPL-2.1-or-later
// Decoding the pixels of a few MCUs from the coefficients already read: the
// MCUs, with one more on every side where the picture has them, are written
// as a small JPEG in memory with the source's tables and sampling and
// decoded by libjpeg like a whole picture. Each block's inverse DCT depends
// on that block alone and the chroma upsampling reaches one sample past an
// MCU at most, so inside the margin the pixels are exactly those of a decode
// of the whole picture; at the picture's own edges the small picture ends
// where the source ends, so its edge is decoded the same way too.
#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "jpeg_blocks.h"

namespace pixkit {

JDIMENSION source_blocks_across(const jpeg_decompress_struct& src, int c) {
  const jpeg_component_info& comp = src.comp_info[c];
  const JDIMENSION h = JDIMENSION(comp.h_samp_factor);
  return (comp.width_in_blocks + h - 1) / h * h;
}

JDIMENSION source_blocks_down(const jpeg_decompress_struct& src, int c) {
  const jpeg_component_info& comp = src.comp_info[c];
  const JDIMENSION v = JDIMENSION(comp.v_samp_factor);
  return (comp.height_in_blocks + v - 1) / v * v;
}

bool OwnBlocks::allocate(size_t count) {
  // Straight from the system: fresh pages read as zero and take memory
  // only once written, which only the blocks of the MCUs asked for are.
  // (calloc would clear recycled heap memory, touching every page.)
  const size_t size = count * sizeof(JBLOCK);
  void* p =
      size ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) : MAP_FAILED;
  if (p == MAP_FAILED) return false;
  blocks = static_cast<JBLOCK*>(p);
  bytes = size;
  return true;
}

OwnBlocks::~OwnBlocks() {
  if (blocks) munmap(blocks, bytes);
}

JBLOCKROW source_block_row(BlockJob& job, int c, JDIMENSION row, bool writable) {
  if (job.coefficients)
    return job.src.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&job.src), job.coefficients[c], row,
                                           1, writable)[0];
  return job.own[c].blocks + size_t(row) * source_blocks_across(job.src, c);
}

void copy_block_row(BlockJob& job, int c, JDIMENSION src_row, JDIMENSION src_column,
                    j_common_ptr window_owner, jvirt_barray_ptr window, JDIMENSION window_row,
                    JDIMENSION count, bool to_window) {
  JBLOCKROW source = source_block_row(job, c, src_row, !to_window);
  JBLOCKROW blocks = window_owner->mem->access_virt_barray(window_owner, window, window_row, 1, to_window)[0];
  if (to_window)
    std::memcpy(blocks, source + src_column, count * sizeof(JBLOCK));
  else
    std::memcpy(source + src_column, blocks, count * sizeof(JBLOCK));
}

void release_window_scratch(BlockJob& job) {
  // Destroying an object that was zeroed and never created is harmless.
  jpeg_destroy_compress(&job.window_out);
  jpeg_destroy_decompress(&job.window_in);
  std::memset(&job.window_out, 0, sizeof job.window_out);
  std::memset(&job.window_in, 0, sizeof job.window_in);
  std::free(job.memory_jpeg);
  job.memory_jpeg = nullptr;
  job.memory_jpeg_size = 0;
}

const char* decode_block_window(BlockJob& job, const BlockRect& window, uint8_t* bgr) {
  const BlockGeometry& g = job.geometry;
  const BlockRect margin{std::max(window.left - 1, 0), std::max(window.top - 1, 0),
                         std::min(window.right + 1, g.mcus_across), std::min(window.bottom + 1, g.mcus_down)};
  const BlockRect margin_px = pixels_of_mcus(g, margin);
  const BlockRect window_px = pixels_of_mcus(g, window);
  const size_t margin_row_bytes = size_t(margin_px.right - margin_px.left) * 3;
  const size_t window_row_bytes = size_t(window_px.right - window_px.left) * 3;
  job.window_row.resize(margin_row_bytes);

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
  out.image_width = JDIMENSION(margin_px.right - margin_px.left);
  out.image_height = JDIMENSION(margin_px.bottom - margin_px.top);
  jvirt_barray_ptr arrays[MAX_COMPONENTS];
  const auto out_common = reinterpret_cast<j_common_ptr>(&out);
  for (int c = 0; c < job.src.num_components; ++c) {
    const jpeg_component_info& comp = job.src.comp_info[c];
    arrays[c] =
        out.mem->request_virt_barray(out_common, JPOOL_IMAGE, TRUE,
                                     JDIMENSION(margin.right - margin.left) * JDIMENSION(comp.h_samp_factor),
                                     JDIMENSION(margin.bottom - margin.top) * JDIMENSION(comp.v_samp_factor),
                                     JDIMENSION(comp.v_samp_factor));
  }
  jpeg_mem_dest(&out, &job.memory_jpeg, &job.memory_jpeg_size);
  jpeg_write_coefficients(&out, arrays);
  for (int c = 0; c < job.src.num_components; ++c) {
    const jpeg_component_info& comp = job.src.comp_info[c];
    const JDIMENSION h = JDIMENSION(comp.h_samp_factor), v = JDIMENSION(comp.v_samp_factor);
    const JDIMENSION column = JDIMENSION(margin.left) * h;
    const JDIMENSION across =
        std::min(JDIMENSION(margin.right - margin.left) * h, source_blocks_across(job.src, c) - column);
    const JDIMENSION rows = JDIMENSION(margin.bottom - margin.top) * v;
    for (JDIMENSION r = 0; r < rows; ++r) {
      const JDIMENSION src_row = JDIMENSION(margin.top) * v + r;
      if (src_row < source_blocks_down(job.src, c))
        copy_block_row(job, c, src_row, column, out_common, arrays[c], r, across, true);
      else  // rows are made in order, each once
        out.mem->access_virt_barray(out_common, arrays[c], r, 1, TRUE);
    }
  }
  jpeg_finish_compress(&out);
  jpeg_destroy_compress(&out);

  jpeg_create_decompress(&in);
  jpeg_mem_src(&in, job.memory_jpeg, job.memory_jpeg_size);
  jpeg_read_header(&in, TRUE);
  // As the reader decodes a whole picture.
  in.out_color_space = JCS_EXT_BGR;
  in.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&in);
  const JDIMENSION first = JDIMENSION(window_px.top - margin_px.top);
  const JDIMENSION end = JDIMENSION(window_px.bottom - margin_px.top);
  const size_t skip_bytes = size_t(window_px.left - margin_px.left) * 3;
  while (in.output_scanline < end) {
    const JDIMENSION y = in.output_scanline;
    JSAMPROW row = job.window_row.data();
    if (jpeg_read_scanlines(&in, &row, 1) != 1)
      abort_jpeg(reinterpret_cast<j_common_ptr>(&in), "jpeg: window made no progress");
    if (y >= first)
      std::memcpy(bgr + size_t(y - first) * window_row_bytes, row + skip_bytes, window_row_bytes);
  }
  release_window_scratch(job);
  return nullptr;
}

}  // namespace pixkit

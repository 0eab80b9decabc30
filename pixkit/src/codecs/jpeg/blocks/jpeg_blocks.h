// SPDX-License-Identifier: LGPL-2.1-or-later
// Stamping a JPEG without generation loss: the source's DCT coefficients are
// read, only the MCUs a mark can touch are decoded, stamped and quantised
// again with the source's own tables and sampling, and every other block is
// written back exactly as it was read. The steps below each own one
// libjpeg call sequence; they share the job's error manager, so whichever
// step is running is the one a libjpeg error jumps back into.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecs/jpeg/jpeg_error.h"
#include "codecs/jpeg/jpeg_source.h"
#include "core/output_file.h"
#include "core/picture.h"
#include "core/range_source.h"
#include "jpeg_blocks_huffman.h"
#include "pixkit/pixkit.h"

namespace pixkit {

// A rectangle [left, right) x [top, bottom), in pixels or in MCUs.
struct BlockRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool empty() const { return left >= right || top >= bottom; }
};

// The source as stored, before any EXIF turn.
struct BlockGeometry {
  int32_t width = 0;  // stored pixels, 1..JPEG_MAX_DIMENSION
  int32_t height = 0;
  int orientation = 1;    // EXIF 1..8
  int32_t mcu_width = 8;  // 8 x the largest horizontal sampling factor
  int32_t mcu_height = 8;
  int32_t mcus_across = 0;  // ceil(width / mcu_width)
  int32_t mcus_down = 0;
  int32_t upright_width() const { return orientation >= 5 ? height : width; }
  int32_t upright_height() const { return orientation >= 5 ? width : height; }
};

// Where stored pixel (x, y) is shown once the picture is turned upright.
void upright_of_stored(const BlockGeometry& geometry, int32_t x, int32_t y, int32_t& ux, int32_t& uy);

// The MCUs of the stored picture under each upright pixel rectangle, cut to
// the picture; empty results are dropped.
std::vector<BlockRect> mcu_rects_under(const BlockGeometry& geometry, const PixkitRect* rects, int count);

// How many distinct MCUs the rectangles cover.
int64_t count_covered_mcus(const BlockGeometry& geometry, const std::vector<BlockRect>& mcus);

// Pixels of the stored picture covered by an MCU rectangle, cut to the
// picture.
BlockRect pixels_of_mcus(const BlockGeometry& geometry, const BlockRect& mcus);

// Blocks of one component held outside libjpeg, allocated zeroed; pages
// never written take no memory.
struct OwnBlocks {
  JBLOCK* blocks = nullptr;
  size_t bytes = 0;
  bool allocate(size_t count);  // zeroed
  OwnBlocks() = default;
  OwnBlocks(const OwnBlocks&) = delete;
  OwnBlocks& operator=(const OwnBlocks&) = delete;
  ~OwnBlocks();
};

// Everything that outlives a jump back into a step.
struct BlockJob {
  const RangeSource* file = nullptr;
  JpegSourceManager source;
  jpeg_decompress_struct src;
  JpegErrorManager err;
  jvirt_barray_ptr* coefficients = nullptr;  // the source's, owned by src
  bool src_created = false;
  BlockGeometry geometry;
  bool eligible = false;  // 8-bit, Huffman-coded, grey or YCbCr
  bool progressive = false;
  std::vector<uint8_t> exif_marker;  // "Exif\0\0" and the block, or empty
  std::vector<uint8_t> icc;          // the profile, or empty
  Metadata metadata;                 // as collected from the markers
  jpeg_progress_mgr progress;
  // Scratch of the window steps: a JPEG in memory (malloc'd by libjpeg's
  // memory destination) and the objects that write and read it.
  unsigned char* memory_jpeg = nullptr;
  unsigned long memory_jpeg_size = 0;
  jpeg_compress_struct window_out;
  jpeg_decompress_struct window_in;
  std::vector<uint8_t> window_row;  // one decoded row of a window with its margin

  // The bit copy: where the scan's entropy-coded bytes start, and, read by
  // read_scan_for_bit_copy, the scan without its stuffed bytes, the bit at
  // which each MCU starts (and one past the last), the DC predictors at
  // each MCU's start (per component), and the blocks of the MCUs asked for
  // in arrays laid out as libjpeg's (the rest stay zero, never touched).
  uint64_t scan_offset = 0;
  std::vector<uint8_t> scan;
  std::vector<uint64_t> mcu_bits;
  std::vector<int32_t> mcu_predictors;
  std::vector<size_t> restarts;             // byte in scan where each interval after the first starts
  std::vector<uint64_t> interval_end_bits;  // bit where each interval's data ends, before its padding
  OwnBlocks own[MAX_COMPONENTS];
  // For recoding: the symbols of the MCUs whose coding stays as it is,
  // counted per new table (the first component's, the others').
  bool counted = false;
  SymbolCounts counts[2] = {};
};

// Ends the window objects and frees the JPEG in memory; harmless when none
// is in use.
void release_window_scratch(BlockJob& job);

// Row row of component c's blocks: libjpeg's arrays when the coefficients
// were read, else the job's own.
JBLOCKROW source_block_row(BlockJob& job, int c, JDIMENSION row, bool writable);

// Copies count blocks of one component's block row between the source and a
// window array (to_window: from the source into the window).
void copy_block_row(BlockJob& job, int c, JDIMENSION src_row, JDIMENSION src_column,
                    j_common_ptr window_owner, jvirt_barray_ptr window, JDIMENSION window_row,
                    JDIMENSION count, bool to_window);

// Blocks across and down of component c in the source's coefficient arrays.
JDIMENSION source_blocks_across(const jpeg_decompress_struct& src, int c);
JDIMENSION source_blocks_down(const jpeg_decompress_struct& src, int c);

// Reads the header, the kept markers and, when the source is eligible and
// read_all_if (if given) says so once the geometry is known, every
// coefficient. Null on success, else the failure text; an ineligible source
// is a success with eligible false.
const char* open_block_source(BlockJob& job, const std::function<bool(const BlockJob&)>& read_all_if);

// Releases the source's decoder and any window scratch left behind.
void close_block_source(BlockJob& job);

// The pixels of the stored picture inside window (MCUs), decoded exactly as
// a decode of the whole picture gives them: the window is decoded with a
// margin of one MCU, so the chroma upsampling sees the same neighbours.
// bgr receives the window's pixel rectangle (pixels_of_mcus) top row first,
// 3 bytes a pixel, and must hold that many.
const char* decode_block_window(BlockJob& job, const BlockRect& window, uint8_t* bgr);

// Quantises the pixels of window (laid out as decode_block_window gives
// them) with the source's tables and sampling and puts the blocks in place
// of the source's.
const char* requantise_block_window(BlockJob& job, const BlockRect& window, const uint8_t* bgr);

// Writes the source's coefficients, as they stand, with the kept markers:
// every block entropy-coded again (the coefficient path).
const char* write_block_coefficients(BlockJob& job, OutputFile& out);

// A baseline source with one scan of all components, whose blocks the bit
// copy and the recoding writer can reach.
bool bit_copy_suits(const jpeg_decompress_struct& src);

// Whether the scan's Huffman tables can code any block (as the standard
// tables can; optimised ones hold only what their picture used).
bool scan_tables_code_everything(const jpeg_decompress_struct& src);

// Reads the scan once (after open_block_source without the coefficients):
// MCU boundaries and predictors of every MCU, blocks of those marked in
// wanted (one byte per MCU, in scan order). With touched given, it also
// counts the symbols of the MCUs write_recoded will carry over as they are
// (job.counts). Null, or the failure text.
const char* read_scan_for_bit_copy(BlockJob& job, const std::vector<uint8_t>& wanted,
                                   const std::vector<uint8_t>* touched = nullptr);

// The output of the bit copy in memory: the source's header with the kept
// markers, the scan with the MCUs marked in touched coded again and the
// rest copied as bits, and the end marker. False when the source's tables
// cannot code a touched block (out is then left unfinished).
bool write_bit_copy(BlockJob& job, const std::vector<uint8_t>& touched, std::vector<uint8_t>& out);

// The same output for a source whose tables cannot code the touched
// blocks, after read_scan_for_bit_copy counted its symbols: Huffman tables
// made for this output's symbols, every MCU outside the touched ones and
// the one after each carried over symbol for symbol (its coefficients stay
// the source's), the rest coded from their blocks. False when a block
// cannot be coded (out is then left unfinished).
bool write_recoded(BlockJob& job, const std::vector<uint8_t>& touched, std::vector<uint8_t>& out);

// The ways to write a JPEG keeping its blocks, tried in this order.
enum KeptBlocksWay : int {
  kBitCopy = 1,      // the source's bits outside the touched MCUs
  kRecoded = 2,      // one scan read twice, coded again with tables made for it
  kCoefficients = 4  // every coefficient read, written by libjpeg
};

// PixkitSaveJpegKeepingBlocks; for tests with only some ways allowed, and
// saying which way was taken (taken, may be null).
int save_jpeg_keeping_blocks(const char* source, const char* target, const PixkitRect* rects, int rect_count,
                             PixkitStampBlocksFn stamp, void* stamp_owner, const PixkitCallOptions* options,
                             int* reason, int allowed_ways, KeptBlocksWay* taken);

}  // namespace pixkit

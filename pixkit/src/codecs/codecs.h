// SPDX-License-Identifier: LGPL-2.1-or-later
// Every reader and writer of the library. Readers take the file as a
// source, read as much of it as the picture needs (the header first, checked
// against the limits, then the pixel data as they decode it) and return a
// Picture in DIB layout at the bit count the file's content calls for; the
// ByteSpan forms read a file held in memory (tests and fuzzing). Writers
// take a view and write a complete file to out.
#pragma once

#include "core/byte_reader.h"
#include "core/output_file.h"
#include "core/picture.h"
#include "core/range_source.h"
#include "core/result.h"
#include "pixkit/pixkit.h"

namespace pixkit {

// What a load through OpenDibAs may do beyond a plain load, and what the
// decoder found out about the source on the way.
struct DecodeRequest {
  bool more_formats = false;  // WebP, HEIF and AVIF content
  PixkitFitFn fit = nullptr;  // may shrink while decoding (JPEG)
  void* fit_owner = nullptr;
  int32_t source_width = 0;  // upright, as stored
  int32_t source_height = 0;
  int jpeg_quality = 0;   // estimated from the quantisation tables
  int jpeg_chroma = 0;    // PIXKIT_CHROMA_444/422/420 of a colour JPEG, 0 for another sampling
  int source_format = 0;  // PIXKIT_FORMAT_* (PIXKIT_SOURCE_HEIF)
};

// Encoder settings of one save beyond the format.
struct JpegSettings {
  int quality = 75;  // 1..100
  int chroma = PIXKIT_CHROMA_DEFAULT;
  bool progressive = false;
  bool optimize_huffman = false;
};

// BMP and DIB, uncompressed, BI_BITFIELDS, RLE8 and RLE4.
Result<Picture> decode_bmp(const RangeSource& file);
inline Result<Picture> decode_bmp(ByteSpan file) { return decode_bmp(SpanSource(file)); }
// Uncompressed BMP at the view's bit count with its colour table.
Status encode_bmp(const PictureView& picture, OutputFile& out);
// RLE8 for 8 bits, RLE4 for 4 bits, otherwise the same as encode_bmp.
Status encode_rle_bmp(const PictureView& picture, OutputFile& out);

Result<Picture> decode_gif(const RangeSource& file);
inline Result<Picture> decode_gif(ByteSpan file) { return decode_gif(SpanSource(file)); }
Status encode_gif(const PictureView& picture, OutputFile& out);

// ILBM (ByteRun1, EHB, HAM, 24-bit deep) and the chunky PBM variant.
Result<Picture> decode_ilbm(const RangeSource& file);
inline Result<Picture> decode_ilbm(ByteSpan file) { return decode_ilbm(SpanSource(file)); }
Status encode_ilbm(const PictureView& picture, OutputFile& out);

// JPEG with EXIF and ICC carried in Picture::metadata; turned upright.
Result<Picture> decode_jpeg(const RangeSource& file);
inline Result<Picture> decode_jpeg(ByteSpan file) { return decode_jpeg(SpanSource(file)); }
Status encode_jpeg(const PictureView& picture, OutputFile& out, int quality);
Status encode_jpeg(const PictureView& picture, OutputFile& out, const JpegSettings& settings);
// The full load with its request: a fit asked for lets the decoder scale the
// DCT down, and the request learns the source's size and quality.
Result<Picture> decode_jpeg(const RangeSource& file, DecodeRequest& request);

Result<Picture> decode_pcx(const RangeSource& file);
inline Result<Picture> decode_pcx(ByteSpan file) { return decode_pcx(SpanSource(file)); }
Status encode_pcx(const PictureView& picture, OutputFile& out);
// PCX has a weak signature: checks the header fields (the first 128 bytes
// of the file) for plausibility.
bool looks_like_pcx(ByteSpan head);

Result<Picture> decode_tga(const RangeSource& file);
inline Result<Picture> decode_tga(ByteSpan file) { return decode_tga(SpanSource(file)); }
Status encode_tga(const PictureView& picture, OutputFile& out);
// TGA has no signature: checks the header fields for plausibility, and the
// footer at the end of the file.
bool looks_like_tga(const RangeSource& file);
inline bool looks_like_tga(ByteSpan file) { return looks_like_tga(SpanSource(file)); }

Result<Picture> decode_tiff(const RangeSource& file);
inline Result<Picture> decode_tiff(ByteSpan file) { return decode_tiff(SpanSource(file)); }
Status encode_tiff(const PictureView& picture, OutputFile& out);

// JP2 files and bare J2K codestreams.
Result<Picture> decode_jp2(const RangeSource& file);
inline Result<Picture> decode_jp2(ByteSpan file) { return decode_jp2(SpanSource(file)); }
Status encode_jp2(const PictureView& picture, OutputFile& out);

Result<Picture> decode_png(const RangeSource& file);
inline Result<Picture> decode_png(ByteSpan file) { return decode_png(SpanSource(file)); }
// zlib level 0..9; 1, 4 and 8 bits with the palette, 24 and 32 bits as RGB(A).
// EXIF goes into eXIf, the ICC profile into iCCP.
Status encode_png(const PictureView& picture, OutputFile& out, int level);

// WebP through libwebp; alpha of 32-bit views kept; EXIF and ICC in the
// RIFF container's chunks.
Result<Picture> decode_webp(const RangeSource& file);
Status encode_webp(const PictureView& picture, OutputFile& out, int quality, bool lossless);

// AVIF through libavif (8-bit, 4:2:0, alpha kept), and HEIF/HEIC through
// libheif; both carry EXIF and ICC.
Result<Picture> decode_avif(const RangeSource& file);
Status encode_avif(const PictureView& picture, OutputFile& out, int quality, int speed);
Result<Picture> decode_heif(const RangeSource& file);

}  // namespace pixkit

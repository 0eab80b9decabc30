// SPDX-License-Identifier: LGPL-2.1-or-later
// Every reader and writer of the library. Readers take the file as a
// source, read as much of it as the picture needs (the header first, checked
// against the limits, then the pixel data as they decode it) and return a
// Picture in DIB layout at the bit count the file's content calls for; the
// ByteSpan forms read a file held in memory (tests and fuzzing). Writers
// take a view and write a complete file to out.
#pragma once

#include "../core/byte_reader.h"
#include "../core/output_file.h"
#include "../core/picture.h"
#include "../core/range_source.h"
#include "../core/result.h"

namespace pixkit {

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

}  // namespace pixkit

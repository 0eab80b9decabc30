// Every reader and writer of the library. Readers take the whole file and
// return a Picture in DIB layout at the bit count the file's content calls
// for; writers take a view and write a complete file to out.
#pragma once

#include "../core/byte_reader.h"
#include "../core/output_file.h"
#include "../core/picture.h"
#include "../core/result.h"

namespace pixkit {

// BMP and DIB, uncompressed, BI_BITFIELDS, RLE8 and RLE4.
Result<Picture> decode_bmp(ByteSpan file);
// Uncompressed BMP at the view's bit count with its colour table.
Status encode_bmp(const PictureView& picture, OutputFile& out);
// RLE8 for 8 bits, RLE4 for 4 bits, otherwise the same as encode_bmp.
Status encode_rle_bmp(const PictureView& picture, OutputFile& out);

Result<Picture> decode_gif(ByteSpan file);
Status encode_gif(const PictureView& picture, OutputFile& out);

// ILBM (ByteRun1, EHB, HAM, 24-bit deep) and the chunky PBM variant.
Result<Picture> decode_ilbm(ByteSpan file);
Status encode_ilbm(const PictureView& picture, OutputFile& out);

// JPEG with EXIF and ICC carried in Picture::metadata; turned upright.
Result<Picture> decode_jpeg(ByteSpan file);
Status encode_jpeg(const PictureView& picture, OutputFile& out, int quality);

Result<Picture> decode_pcx(ByteSpan file);
Status encode_pcx(const PictureView& picture, OutputFile& out);
// PCX has a weak signature: checks the header fields for plausibility.
bool looks_like_pcx(ByteSpan file);

Result<Picture> decode_tga(ByteSpan file);
Status encode_tga(const PictureView& picture, OutputFile& out);
// TGA has no signature: checks the header fields for plausibility.
bool looks_like_tga(ByteSpan file);

Result<Picture> decode_tiff(ByteSpan file);
Status encode_tiff(const PictureView& picture, OutputFile& out);

// JP2 files and bare J2K codestreams.
Result<Picture> decode_jp2(ByteSpan file);
Status encode_jp2(const PictureView& picture, OutputFile& out);

Result<Picture> decode_png(ByteSpan file);

}  // namespace pixkit

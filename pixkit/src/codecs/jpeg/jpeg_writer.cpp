// SPDX-License-Identifier: LGPL-2.1-or-later
// JPEG writing over libjpeg-turbo with the defaults of its cjpeg program
// (4:2:0, baseline, standard Huffman tables), so a file of ours matches
// what cjpeg makes of the same pixels. The EXIF block and ICC profile
// kept from the load are written back. An export may ask for other chroma
// subsampling, progressive scans or optimised Huffman tables; left at
// their defaults they change nothing of the file.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "codecs/codecs.h"
#include "codecs/metadata/exif_block.h"
#include "core/progress.h"
#include "jpeg_error.h"
#include "jpeg_markers.h"

namespace pixkit {
namespace {

constexpr size_t kDestinationBufferSize = 64 * 1024;
// Rows handed to one jpeg_write_scanlines call.
constexpr int kRowsPerWrite = 16;
// One marker holds at most 65533 payload bytes; 14 go to the chunk header,
// and the chunk's sequence number is one byte.
constexpr size_t kMaxIccChunk = 65519;
constexpr size_t kMaxIccBytes = kMaxIccChunk * 255;
constexpr size_t kMaxMarkerPayload = 65533;

// libjpeg's output goes into OutputFile, whose sticky error flag tells at
// the end whether every byte reached the disk.
struct OutputDestination {
  jpeg_destination_mgr pub;
  OutputFile* out;
  JOCTET buffer[kDestinationBufferSize];
};

// Everything that outlives a jump back into run_compressor lives here.
struct EncodeJob {
  const PictureView* view;
  JpegSettings settings;
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  OutputDestination dest;
  std::vector<uint8_t> converted_row;  // for views not at 24 bits
  std::vector<uint8_t> exif_marker;    // "Exif\0\0" and the block
  const std::vector<uint8_t>* icc;
  const std::vector<KeptSegment>* segments;
};

OutputDestination* destination_of(j_compress_ptr cinfo) {
  return reinterpret_cast<OutputDestination*>(cinfo->dest);
}

void start_destination(j_compress_ptr cinfo) {
  OutputDestination* d = destination_of(cinfo);
  d->pub.next_output_byte = d->buffer;
  d->pub.free_in_buffer = kDestinationBufferSize;
}

boolean pass_full_buffer(j_compress_ptr cinfo) {
  OutputDestination* d = destination_of(cinfo);
  d->out->write(d->buffer, kDestinationBufferSize);
  // No sense in compressing the rest of a picture the disk will not take.
  if (d->out->failed()) abort_jpeg(reinterpret_cast<j_common_ptr>(cinfo), "jpeg: write to the file failed");
  start_destination(cinfo);
  return TRUE;
}

void pass_last_bytes(j_compress_ptr cinfo) {
  OutputDestination* d = destination_of(cinfo);
  d->out->write(d->buffer, kDestinationBufferSize - d->pub.free_in_buffer);
}

int32_t dots_per_inch(int32_t pixels_per_meter) {
  const int64_t dpi = (int64_t(pixels_per_meter) * 254 + 5000) / 10000;
  return dpi < 1 ? 0 : dpi > 65535 ? 65535 : int32_t(dpi);
}

// The kept EXIF block, checked again and set to orientation 1 and the size
// written; left out when it is damaged or too large for one marker.
void prepare_exif(EncodeJob& job) {
  const Metadata* metadata = job.view->metadata;
  if (!metadata || metadata->exif.empty()) return;
  if (metadata->exif.size() + sizeof kExifMarkerHeader > kMaxMarkerPayload) return;
  auto layout = read_exif_layout(metadata->exif);
  if (!layout) return;
  std::vector<uint8_t> block = metadata->exif;
  if (!make_exif_upright(block, layout.value(), uint32_t(job.view->width), uint32_t(job.view->height)))
    return;
  job.exif_marker.assign(std::begin(kExifMarkerHeader), std::end(kExifMarkerHeader));
  job.exif_marker.insert(job.exif_marker.end(), block.begin(), block.end());
}

// Luminance sampling factors against the chrominance's 1 x 1; the default
// stays jpeg_set_defaults' 2 x 2.
void set_sampling(jpeg_compress_struct& cinfo, int chroma) {
  if (chroma == PIXKIT_CHROMA_444) {
    cinfo.comp_info[0].h_samp_factor = 1;
    cinfo.comp_info[0].v_samp_factor = 1;
  } else if (chroma == PIXKIT_CHROMA_422) {
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 1;
  }
}

void write_rows(EncodeJob& job) {
  jpeg_compress_struct& cinfo = job.cinfo;
  const PictureView& view = *job.view;
  const uint32_t height = uint32_t(view.height);
  JSAMPROW rows[kRowsPerWrite];
  while (cinfo.next_scanline < height) {
    const uint32_t first = cinfo.next_scanline;
    uint32_t count;
    if (view.bit_count == 24) {
      count = height - first < uint32_t(kRowsPerWrite) ? height - first : uint32_t(kRowsPerWrite);
      // libjpeg only reads the rows; image row y is memory row height-1-y.
      for (uint32_t i = 0; i < count; ++i) rows[i] = const_cast<JSAMPROW>(view.row(int32_t(first + i)));
    } else {
      count = 1;
      row_to_bgr24(view, int32_t(first), job.converted_row.data());
      rows[0] = job.converted_row.data();
    }
    jpeg_write_scanlines(&cinfo, rows, count);
    report_progress(cinfo.next_scanline, height);
  }
}

// The one function that calls setjmp; write_rows and the callbacks it
// reaches hold only trivially destructible locals as well.
const char* run_compressor(EncodeJob& job) {
  jpeg_compress_struct& cinfo = job.cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = install_jpeg_errors(job.err);
  if (setjmp(job.err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return job.err.failure ? job.err.failure : "jpeg: encoder failed";
  }
  jpeg_create_compress(&cinfo);
  job.dest.pub.init_destination = start_destination;
  job.dest.pub.empty_output_buffer = pass_full_buffer;
  job.dest.pub.term_destination = pass_last_bytes;
  cinfo.dest = &job.dest.pub;

  cinfo.image_width = JDIMENSION(job.view->width);
  cinfo.image_height = JDIMENSION(job.view->height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job.settings.quality, TRUE);
  cinfo.dct_method = JDCT_ISLOW;
  set_sampling(cinfo, job.settings.chroma);
  if (job.settings.progressive) jpeg_simple_progression(&cinfo);
  if (job.settings.optimize_huffman) cinfo.optimize_coding = TRUE;
  const Metadata* metadata = job.view->metadata;
  if (metadata && dots_per_inch(metadata->x_pixels_per_meter) &&
      dots_per_inch(metadata->y_pixels_per_meter)) {
    cinfo.density_unit = 1;
    cinfo.X_density = UINT16(dots_per_inch(metadata->x_pixels_per_meter));
    cinfo.Y_density = UINT16(dots_per_inch(metadata->y_pixels_per_meter));
  }

  jpeg_start_compress(&cinfo, TRUE);
  if (!job.exif_marker.empty())
    jpeg_write_marker(&cinfo, kExifMarker, job.exif_marker.data(), unsigned(job.exif_marker.size()));
  if (job.icc) jpeg_write_icc_profile(&cinfo, job.icc->data(), unsigned(job.icc->size()));
  if (job.segments)
    for (const KeptSegment& segment : *job.segments)
      if (segment.payload.size() <= kMaxMarkerPayload)
        jpeg_write_marker(&cinfo, segment.marker, segment.payload.data(), unsigned(segment.payload.size()));
  write_rows(job);
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return nullptr;
}

}  // namespace

Status encode_jpeg(const PictureView& picture, OutputFile& out, int quality) {
  JpegSettings settings;
  settings.quality = quality;
  return encode_jpeg(picture, out, settings);
}

Status encode_jpeg(const PictureView& picture, OutputFile& out, const JpegSettings& settings) {
  if (picture.width < 1 || picture.height < 1 || !picture.bits) return fail("jpeg: no picture");
  // libjpeg's own limit on a side.
  if (picture.width > JPEG_MAX_DIMENSION || picture.height > JPEG_MAX_DIMENSION)
    return fail("jpeg: picture too large");
  auto job = std::make_unique<EncodeJob>();
  job->view = &picture;
  job->settings = settings;
  job->settings.quality = settings.quality < 1 ? 1 : settings.quality > 100 ? 100 : settings.quality;
  job->dest.out = &out;
  job->icc = nullptr;
  job->segments = picture.metadata && !picture.metadata->jpeg_segments.empty()
                      ? &picture.metadata->jpeg_segments
                      : nullptr;
  if (picture.bit_count != 24) job->converted_row.resize(size_t(picture.width) * 3);
  prepare_exif(*job);
  if (picture.metadata && !picture.metadata->icc.empty() && picture.metadata->icc.size() <= kMaxIccBytes)
    job->icc = &picture.metadata->icc;
  if (const char* failure = run_compressor(*job)) return fail(failure);
  if (out.failed()) return fail("jpeg: write to the file failed");
  return {};
}

}  // namespace pixkit

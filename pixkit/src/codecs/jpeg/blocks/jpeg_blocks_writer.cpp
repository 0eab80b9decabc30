// SPDX-License-Identifier: LGPL-2.1-or-later
// The coefficient path, for sources of more than one scan (progressive)
// and for what the bit copy and the recoding cannot write: the source's
// coefficients, with the stamped MCUs in place, written through libjpeg's
// transcoder. Every block is entropy-coded again, with the standard Huffman
// tables for a sequential source (as jpegtran writes) and optimised ones
// for a progressive source, which stays progressive. Quantisation tables, sampling, restart interval and the
// JFIF density are the source's; the EXIF block and the ICC profile are kept as the ordinary save keeps them,
// the orientation included, as the blocks are still stored the way the source stored them.
#include <cstring>
#include <memory>

#include "codecs/jpeg/jpeg_markers.h"
#include "jpeg_blocks.h"

namespace pixkit {
namespace {

constexpr size_t kBufferSize = 64 * 1024;
// As the ordinary writer: 255 chunks of 65519 bytes at most.
constexpr size_t kMaxIccBytes = size_t(65519) * 255;

struct FileDestination {
  jpeg_destination_mgr pub;
  OutputFile* out;
  JOCTET buffer[kBufferSize];
};

FileDestination* destination_of(j_compress_ptr cinfo) {
  return reinterpret_cast<FileDestination*>(cinfo->dest);
}

void start_destination(j_compress_ptr cinfo) {
  FileDestination* d = destination_of(cinfo);
  d->pub.next_output_byte = d->buffer;
  d->pub.free_in_buffer = kBufferSize;
}

boolean pass_full_buffer(j_compress_ptr cinfo) {
  FileDestination* d = destination_of(cinfo);
  d->out->write(d->buffer, kBufferSize);
  if (d->out->failed()) abort_jpeg(reinterpret_cast<j_common_ptr>(cinfo), "jpeg: write to the file failed");
  start_destination(cinfo);
  return TRUE;
}

void pass_last_bytes(j_compress_ptr cinfo) {
  FileDestination* d = destination_of(cinfo);
  d->out->write(d->buffer, kBufferSize - d->pub.free_in_buffer);
}

// Everything that outlives a jump back into write_block_coefficients.
struct WriteJob {
  jpeg_compress_struct cinfo;
  FileDestination dest;
};

// The one function here that calls setjmp; its locals are trivially
// destructible.
const char* run_transcoder(BlockJob& job, WriteJob* write) {
  jpeg_compress_struct& cinfo = write->cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = &job.err.pub;
  if (setjmp(job.err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return job.err.failure ? job.err.failure : "jpeg: encoder failed";
  }
  jpeg_create_compress(&cinfo);
  write->dest.pub.init_destination = start_destination;
  write->dest.pub.empty_output_buffer = pass_full_buffer;
  write->dest.pub.term_destination = pass_last_bytes;
  cinfo.dest = &write->dest.pub;
  jpeg_copy_critical_parameters(&job.src, &cinfo);
  cinfo.restart_interval = job.src.restart_interval;
  if (job.progressive) jpeg_simple_progression(&cinfo);
  jpeg_write_coefficients(&cinfo, job.coefficients);
  if (!job.exif_marker.empty() && job.exif_marker.size() <= 65533)
    jpeg_write_marker(&cinfo, kExifMarker, job.exif_marker.data(), unsigned(job.exif_marker.size()));
  if (!job.icc.empty() && job.icc.size() <= kMaxIccBytes)
    jpeg_write_icc_profile(&cinfo, job.icc.data(), unsigned(job.icc.size()));
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return nullptr;
}

}  // namespace

const char* write_block_coefficients(BlockJob& job, OutputFile& out) {
  auto write = std::make_unique<WriteJob>();
  write->dest.out = &out;
  if (const char* failure = run_transcoder(job, write.get())) return failure;
  if (out.failed()) return "jpeg: write to the file failed";
  return nullptr;
}

}  // namespace pixkit

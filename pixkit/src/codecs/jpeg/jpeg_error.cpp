// SPDX-License-Identifier: LGPL-2.1-or-later
#include "jpeg_error.h"

// jerror.h needs jpeglib.h first; it names the message codes.
#include <jerror.h>

namespace pixkit {
namespace {

JpegErrorManager* manager_of(j_common_ptr cinfo) { return reinterpret_cast<JpegErrorManager*>(cinfo->err); }

[[noreturn]] void exit_on_error(j_common_ptr cinfo) {
  JpegErrorManager* err = manager_of(cinfo);
  if (!err->failure) {
    switch (err->pub.msg_code) {
      case JERR_OUT_OF_MEMORY:
        err->failure = "jpeg: out of memory";
        err->too_large = true;
        break;
      case JERR_IMAGE_TOO_BIG:
      case JERR_WIDTH_OVERFLOW:
        err->failure = "jpeg: picture too large";
        err->too_large = true;
        break;
      case JERR_NO_IMAGE:
      case JERR_INPUT_EMPTY:
      case JERR_INPUT_EOF:
        err->failure = "jpeg: file ends early";
        break;
      case JERR_CONVERSION_NOTIMPL:
      case JERR_BAD_J_COLORSPACE:
        err->failure = "jpeg: unsupported colour space";
        break;
      default:
        err->failure = "jpeg: damaged or unsupported file";
        break;
    }
  }
  std::longjmp(err->jump, 1);
}

void emit(j_common_ptr cinfo, int msg_level) {
  if (msg_level >= 0) return;  // trace messages
  JpegErrorManager* err = manager_of(cinfo);
  // The memory source inserts a fake end marker when the data runs out and
  // says so with this warning: the picture is truncated.
  if (err->pub.msg_code == JWRN_JPEG_EOF) abort_jpeg(cinfo, "jpeg: file ends early");
  err->pub.num_warnings++;
  if (++err->warnings > kMaxJpegWarnings) abort_jpeg(cinfo, "jpeg: too many corrupt-data warnings");
}

void stay_silent(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* install_jpeg_errors(JpegErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = exit_on_error;
  err.pub.emit_message = emit;
  err.pub.output_message = stay_silent;
  err.failure = nullptr;
  err.too_large = false;
  err.warnings = 0;
  return &err.pub;
}

void abort_jpeg(j_common_ptr cinfo, const char* failure) {
  JpegErrorManager* err = manager_of(cinfo);
  if (!err->failure) err->failure = failure;
  std::longjmp(err->jump, 1);
}

}  // namespace pixkit

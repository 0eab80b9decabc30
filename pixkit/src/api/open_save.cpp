// SPDX-License-Identifier: LGPL-2.1-or-later
// OpenDib, SaveDib and the settings around them.
#include <unistd.h>

#include <atomic>
#include <string>

#include "codecs/codecs.h"
#include "codecs/format_sniff.h"
#include "codecs/metadata/exif_privacy.h"
#include "codecs/metadata/xmp_privacy.h"
#include "core/progress.h"
#include "core/record_storage.h"
#include "core/safe_save.h"
#include "core/sized_struct.h"
#include "core/source_file.h"
#include "core/temporary_names.h"

using namespace pixkit;

namespace {

std::atomic<int> g_jpeg_quality{75};

// Why a decoder refused the content: a size refusal says so in its kind;
// anything else a decoder refuses is damage.
int reason_of_decode_error(const Error& error) {
  return error.kind == ErrorKind::TooLarge ? PIXKIT_REASON_TOO_LARGE : PIXKIT_REASON_DAMAGED;
}

// Closes the descriptor it holds at the end of a load, whatever happens.
class SourceDescriptor {
 public:
  explicit SourceDescriptor(int fd) : fd_(fd) {}
  ~SourceDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  SourceDescriptor(const SourceDescriptor&) = delete;
  SourceDescriptor& operator=(const SourceDescriptor&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// The content's format; the further formats only when the request asks.
FileFormat content_format(const RangeSource& file, const DecodeRequest* request) {
  const FileFormat format = sniff_format(file);
  if (format != FileFormat::Unknown || !request || !request->more_formats) return format;
  return sniff_more_formats(file);
}

int format_code(FileFormat format) {
  switch (format) {
    case FileFormat::Bmp:
      return PIXKIT_FORMAT_BMP;
    case FileFormat::Gif:
      return PIXKIT_FORMAT_GIF;
    case FileFormat::Ilbm:
      return PIXKIT_FORMAT_IFF;
    case FileFormat::Jpeg:
      return PIXKIT_FORMAT_JPG;
    case FileFormat::Pcx:
      return PIXKIT_FORMAT_PCX;
    case FileFormat::Tga:
      return PIXKIT_FORMAT_TGA;
    case FileFormat::Tiff:
      return PIXKIT_FORMAT_TIF;
    case FileFormat::Jp2:
      return PIXKIT_FORMAT_JP2;
    case FileFormat::Png:
      return PIXKIT_FORMAT_PNG;
    case FileFormat::Webp:
      return PIXKIT_FORMAT_WEBP;
    case FileFormat::Avif:
      return PIXKIT_FORMAT_AVIF;
    case FileFormat::Heif:
      return PIXKIT_SOURCE_HEIF;
    case FileFormat::Unknown:
      break;
  }
  return 0;
}

Result<Picture> decode_as(FileFormat format, const RangeSource& file, DecodeRequest* request) {
  switch (format) {
    case FileFormat::Bmp:
      return decode_bmp(file);
    case FileFormat::Gif:
      return decode_gif(file);
    case FileFormat::Ilbm:
      return decode_ilbm(file);
    case FileFormat::Jpeg:
      return request ? decode_jpeg(file, *request) : decode_jpeg(file);
    case FileFormat::Pcx:
      return decode_pcx(file);
    case FileFormat::Tga:
      return decode_tga(file);
    case FileFormat::Tiff:
      return decode_tiff(file);
    case FileFormat::Jp2:
      return decode_jp2(file);
    case FileFormat::Png:
      return decode_png(file);
    case FileFormat::Webp:
      return decode_webp(file);
    case FileFormat::Avif:
      return decode_avif(file);
    case FileFormat::Heif:
      return decode_heif(file);
    case FileFormat::Unknown:
      break;
  }
  return fail("unknown file format");
}

Result<Picture> decode_any(const RangeSource& file, DecodeRequest* request = nullptr) {
  return decode_as(content_format(file, request), file, request);
}

Status encode_as(int format, const PictureView& view, OutputFile& out, const PixkitSaveSettings& settings,
                 int jpeg_quality) {
  switch (format) {
    case PIXKIT_FORMAT_BMP:
    case PIXKIT_FORMAT_DIB:
      return encode_bmp(view, out);
    case PIXKIT_FORMAT_RLE:
      return encode_rle_bmp(view, out);
    case PIXKIT_FORMAT_GIF:
      return encode_gif(view, out);
    case PIXKIT_FORMAT_IFF:
    case PIXKIT_FORMAT_LBM:
      return encode_ilbm(view, out);
    case PIXKIT_FORMAT_JIF:
    case PIXKIT_FORMAT_JPG: {
      JpegSettings jpeg;
      jpeg.quality = jpeg_quality;
      jpeg.chroma = settings.jpeg_chroma;
      jpeg.progressive = settings.jpeg_progressive != 0;
      jpeg.optimize_huffman = settings.jpeg_optimize_huffman != 0;
      return encode_jpeg(view, out, jpeg);
    }
    case PIXKIT_FORMAT_PCX:
      return encode_pcx(view, out);
    case PIXKIT_FORMAT_TGA:
      return encode_tga(view, out);
    case PIXKIT_FORMAT_TIF:
      return encode_tiff(view, out);
    case PIXKIT_FORMAT_JP2:
      return encode_jp2(view, out);
    case PIXKIT_FORMAT_PNG:
      return encode_png(view, out, settings.png_compression);
    case PIXKIT_FORMAT_WEBP:
      return encode_webp(view, out, settings.quality, settings.webp_lossless != 0);
    case PIXKIT_FORMAT_AVIF:
      return encode_avif(view, out, settings.quality, settings.avif_speed);
    default:
      return fail("unknown format code");
  }
}

int clamped_quality(int quality) { return quality < 1 ? 1 : quality > 100 ? 100 : quality; }

// The options of one call, with the library's settings filled in; nullopt
// for options of a refused size.
std::optional<PixkitCallOptions> options_of_call(const PixkitCallOptions* options, void* owner) {
  auto call = held_call_options(options);
  if (!call) return std::nullopt;
  if (options == nullptr) call->progress_owner = owner;
  call->jpeg_quality = call->jpeg_quality != 0 ? clamped_quality(call->jpeg_quality) : g_jpeg_quality.load();
  return call;
}

// The save settings as far as their size reaches, every other field zero;
// nullopt for a refused size.
std::optional<PixkitSaveSettings> held_save_settings(const PixkitSaveSettings* given) {
  const auto copy = copy_of_sized(given);
  if (!copy) return std::nullopt;
  PixkitSaveSettings held = PixkitSaveSettingsInit();
  take(held, *copy, &PixkitSaveSettings::format);
  take(held, *copy, &PixkitSaveSettings::quality);
  take(held, *copy, &PixkitSaveSettings::jpeg_chroma);
  take(held, *copy, &PixkitSaveSettings::jpeg_progressive);
  take(held, *copy, &PixkitSaveSettings::jpeg_optimize_huffman);
  take(held, *copy, &PixkitSaveSettings::png_compression);
  take(held, *copy, &PixkitSaveSettings::webp_lossless);
  take(held, *copy, &PixkitSaveSettings::avif_speed);
  take(held, *copy, &PixkitSaveSettings::metadata);
  take(held, *copy, &PixkitSaveSettings::icc_in_all_formats);
  take(held, *copy, &PixkitSaveSettings::xmp_iptc_comments);
  return held;
}

TDibImage open_dib(const char* path, const PixkitCallOptions& call, int& reason,
                   DecodeRequest* request = nullptr) {
  if (!path) {
    reason = PIXKIT_REASON_NOT_FOUND;
    return empty_record();
  }
  ProgressScope progress(call.progress_owner, call.progress);
  uint64_t size = 0;
  SourceDescriptor descriptor(open_source_file(path, size, reason));
  if (descriptor.fd() < 0) return empty_record();
  // The readers take the file as they need it, so a load holds the picture
  // and a window of the file, never the whole file.
  const FileSource file(descriptor.fd(), size);
  report_progress(0, 1);
  const FileFormat format = content_format(file, request);
  if (format == FileFormat::Unknown) {
    reason =
        file.failure_reason() != PIXKIT_REASON_NONE ? file.failure_reason() : PIXKIT_REASON_UNKNOWN_FORMAT;
    return empty_record();
  }
  if (request) request->source_format = format_code(format);
  auto picture = decode_as(format, file, request);
  if (!picture) {
    // A read the system refused, or a file cut short under the reader, is
    // what ended the decoder, whatever it made of the missing bytes.
    reason = file.failure_reason() != PIXKIT_REASON_NONE ? file.failure_reason()
                                                         : reason_of_decode_error(picture.as_error());
    return empty_record();
  }
  if (request && request->source_width == 0) {
    request->source_width = picture->width();
    request->source_height = picture->height();
  }
  TDibImage dib = record_from_picture(std::move(picture.value()));
  if (!dib.Bits) {
    reason = PIXKIT_REASON_TOO_LARGE;
    return dib;
  }
  report_progress(1, 1);
  return dib;
}

// What the metadata policy leaves of the kept metadata. The ICC profile
// is not metadata: it says what the pixel values mean, so every policy
// keeps it.
void apply_metadata_policy(int policy, Metadata& metadata) {
  if (policy == PIXKIT_METADATA_NONE) {
    metadata.exif.clear();
    metadata.jpeg_segments.clear();
  } else if (policy == PIXKIT_METADATA_NO_GPS_SERIALS) {
    if (!metadata.exif.empty() && !remove_gps_and_serials(metadata.exif)) metadata.exif.clear();
    remove_xmp_gps(metadata.jpeg_segments);
  }
}

int save_dib(const TDibImage* dib, const char* path, const PixkitSaveSettings& settings,
             const PixkitCallOptions& call, int& reason) {
  const int format = settings.format;
  std::vector<Rgb> palette;
  Metadata metadata;
  if (!path) {
    reason = PIXKIT_REASON_NOT_FOUND;
    return 0;
  }
  auto view = view_of_record(dib, palette, metadata);
  if (!view || format < PIXKIT_FORMAT_BMP || format > PIXKIT_FORMAT_AVIF) {
    reason = PIXKIT_REASON_NO_PICTURE;
    return 0;
  }
  apply_metadata_policy(settings.metadata, metadata);
  // SaveDib has always written TIFF and JP2 without the profile; their
  // bytes stay so unless the caller asks for it.
  if (!settings.icc_in_all_formats && (format == PIXKIT_FORMAT_TIF || format == PIXKIT_FORMAT_JP2))
    metadata.icc.clear();
  if (!settings.xmp_iptc_comments) metadata.jpeg_segments.clear();
  ProgressScope progress(call.progress_owner, call.progress);
  report_progress(0, 1);
  Status status = save_atomically(
      path,
      [&](OutputFile& out) { return encode_as(format, view.value(), out, settings, call.jpeg_quality); },
      &reason);
  if (!status.ok()) return 0;
  report_progress(1, 1);
  return 1;
}

}  // namespace

namespace pixkit {
// Loads a picture from memory the way OpenDib loads a file; for tests and
// fuzzing.
TDibImage open_dib_from_memory(ByteSpan file) {
  auto picture = decode_any(SpanSource(file));
  if (!picture) return empty_record();
  return record_from_picture(std::move(picture.value()));
}
}  // namespace pixkit

extern "C" {

PIXKIT_API TDibImage OpenDibWith(const char* path, const PixkitCallOptions* options, int* reason) {
  int why = PIXKIT_REASON_NONE;
  TDibImage dib;
  try {
    const auto call = options_of_call(options, nullptr);
    dib = call ? open_dib(path, *call, why) : empty_record();
    if (!call) why = PIXKIT_REASON_STRUCT_SIZE;
  } catch (...) {
    // Only a failed allocation throws here.
    dib = empty_record();
    why = PIXKIT_REASON_TOO_LARGE;
  }
  if (reason) *reason = dib.Bits ? PIXKIT_REASON_NONE : why;
  return dib;
}

PIXKIT_API TDibImage OpenDibEx(const char* path, int /*reserved*/, void* owner, int* reason) {
  const PixkitCallOptions call = *options_of_call(nullptr, owner);
  return OpenDibWith(path, &call, reason);
}

PIXKIT_API TDibImage OpenDib(const char* path, int reserved, void* owner) {
  return OpenDibEx(path, reserved, owner, nullptr);
}

PIXKIT_API int SaveDibWith(const TDibImage* dib, const char* path, int format,
                           const PixkitCallOptions* options, int* reason) {
  int why = PIXKIT_REASON_NONE;
  int written = 0;
  try {
    // The formats only SaveDibAs writes stay refused here.
    PixkitSaveSettings settings = PixkitSaveSettingsInit();
    settings.format = format > PIXKIT_FORMAT_JP2 ? 0 : format;
    const auto call = options_of_call(options, nullptr);
    if (call)
      written = save_dib(dib, path, settings, *call, why);
    else
      why = PIXKIT_REASON_STRUCT_SIZE;
  } catch (...) {
    written = 0;
    why = PIXKIT_REASON_TOO_LARGE;
  }
  if (reason)
    *reason = written ? PIXKIT_REASON_NONE : why == PIXKIT_REASON_NONE ? PIXKIT_REASON_IO_ERROR : why;
  return written;
}

PIXKIT_API int SaveDibAs(const TDibImage* dib, const char* path, const PixkitSaveSettings* settings,
                         const PixkitCallOptions* options, int* reason) {
  int why = PIXKIT_REASON_NONE;
  int written = 0;
  try {
    const auto held = settings ? held_save_settings(settings) : std::nullopt;
    auto call = options_of_call(options, nullptr);
    if (settings == nullptr) {
      why = PIXKIT_REASON_NO_PICTURE;
    } else if (!held || !call) {
      why = PIXKIT_REASON_STRUCT_SIZE;
    } else {
      if (held->quality > 0 && (held->format == PIXKIT_FORMAT_JPG || held->format == PIXKIT_FORMAT_JIF))
        call->jpeg_quality = clamped_quality(held->quality);
      written = save_dib(dib, path, *held, *call, why);
    }
  } catch (...) {
    written = 0;
    why = PIXKIT_REASON_TOO_LARGE;
  }
  if (reason)
    *reason = written ? PIXKIT_REASON_NONE : why == PIXKIT_REASON_NONE ? PIXKIT_REASON_IO_ERROR : why;
  return written;
}

PIXKIT_API TDibImage OpenDibAs(const char* path, PixkitLoadSettings* settings,
                               const PixkitCallOptions* options, int* reason) {
  if (settings == nullptr) return OpenDibWith(path, options, reason);
  const auto given = copy_of_sized(settings);
  if (!given) {
    if (reason) *reason = PIXKIT_REASON_STRUCT_SIZE;
    return empty_record();
  }
  PixkitLoadSettings held = PixkitLoadSettingsInit();
  take(held, *given, &PixkitLoadSettings::more_formats);
  take(held, *given, &PixkitLoadSettings::fit);
  take(held, *given, &PixkitLoadSettings::fit_owner);
  DecodeRequest request;
  request.more_formats = held.more_formats != 0;
  request.fit = held.fit;
  request.fit_owner = held.fit_owner;
  int why = PIXKIT_REASON_NONE;
  TDibImage dib;
  try {
    const auto call = options_of_call(options, nullptr);
    dib = call ? open_dib(path, *call, why, &request) : empty_record();
    if (!call) why = PIXKIT_REASON_STRUCT_SIZE;
  } catch (...) {
    dib = empty_record();
    why = PIXKIT_REASON_TOO_LARGE;
  }
  PixkitLoadSettings found = PixkitLoadSettingsInit();
  found.source_width = request.source_width;
  found.source_height = request.source_height;
  found.source_jpeg_quality = request.jpeg_quality;
  found.source_jpeg_chroma = request.jpeg_chroma;
  found.source_format = request.source_format;
  put(settings, found, &PixkitLoadSettings::source_width);
  put(settings, found, &PixkitLoadSettings::source_height);
  put(settings, found, &PixkitLoadSettings::source_jpeg_quality);
  put(settings, found, &PixkitLoadSettings::source_jpeg_chroma);
  put(settings, found, &PixkitLoadSettings::source_format);
  if (reason) *reason = dib.Bits ? PIXKIT_REASON_NONE : why;
  return dib;
}

PIXKIT_API int SaveDibEx(const TDibImage* dib, const char* path, int format, void* owner, int* reason) {
  const PixkitCallOptions call = *options_of_call(nullptr, owner);
  return SaveDibWith(dib, path, format, &call, reason);
}

PIXKIT_API int SaveDib(const TDibImage* dib, const char* path, int format, void* owner) {
  return SaveDibEx(dib, path, format, owner, nullptr);
}

PIXKIT_API int PixkitRemoveLeftoverSaves(const char* folder) {
  if (folder == nullptr) return 0;
  try {
    return remove_leftover_temporaries(folder);
  } catch (...) {
    return 0;  // only the folder's name can fail to be copied
  }
}

PIXKIT_API void SetJPEGQual(int quality) { g_jpeg_quality.store(clamped_quality(quality)); }

PIXKIT_API int GetJPEGQual(void) { return g_jpeg_quality.load(); }

PIXKIT_API const char* GetDIBOpenFilter(void) {
  return "Alle "
         "Bilddateien|*.bmp;*.dib;*.rle;*.gif;*.iff;*.lbm;*.jpg;*.jif;*.jpeg;*.pcx;*.tga;*.tif;*.tiff;*.jp2;*"
         ".j2k;*.png"
         "|Windows-Bitmap (*.bmp, *.dib, *.rle)|*.bmp;*.dib;*.rle"
         "|CompuServe GIF (*.gif)|*.gif"
         "|Interchange File Format (*.iff, *.lbm)|*.iff;*.lbm"
         "|JPEG (*.jpg, *.jif, *.jpeg)|*.jpg;*.jif;*.jpeg"
         "|PC Paintbrush (*.pcx)|*.pcx"
         "|Targa (*.tga)|*.tga"
         "|TIFF (*.tif, *.tiff)|*.tif;*.tiff"
         "|JPEG 2000 (*.jp2, *.j2k)|*.jp2;*.j2k"
         "|Portable Network Graphics (*.png)|*.png"
         "|Alle Dateien (*.*)|*.*";
}

PIXKIT_API void SetDibProgressHandler(void* owner, PixkitProgressFn handler) {
  register_progress_handler(owner, handler);
}

}  // extern "C"

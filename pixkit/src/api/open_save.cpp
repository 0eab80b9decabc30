// OpenDib, SaveDib and the settings around them.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "codecs/codecs.h"
#include "core/format_sniff.h"
#include "core/progress.h"
#include "core/record_storage.h"
#include "core/safe_save.h"

using namespace pixkit;

namespace {

std::atomic<int> g_jpeg_quality{75};

// The whole file, mapped read-only for the duration of one load.
class MappedFile {
 public:
  explicit MappedFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      void* p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (p != MAP_FAILED) {
        data_ = static_cast<const uint8_t*>(p);
        size_ = size_t(st.st_size);
      }
    }
    ::close(fd);
  }
  ~MappedFile() {
    if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  bool ok() const { return data_ != nullptr; }
  ByteSpan bytes() const { return ByteSpan(data_, size_); }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

Result<Picture> decode_any(ByteSpan file) {
  switch (sniff_format(file)) {
    case FileFormat::Bmp: return decode_bmp(file);
    case FileFormat::Gif: return decode_gif(file);
    case FileFormat::Ilbm: return decode_ilbm(file);
    case FileFormat::Jpeg: return decode_jpeg(file);
    case FileFormat::Pcx: return decode_pcx(file);
    case FileFormat::Tga: return decode_tga(file);
    case FileFormat::Tiff: return decode_tiff(file);
    case FileFormat::Jp2: return decode_jp2(file);
    case FileFormat::Png: return decode_png(file);
    case FileFormat::Unknown: break;
  }
  return fail("unknown file format");
}

Status encode_as(int format, const PictureView& view, OutputFile& out) {
  switch (format) {
    case PIXKIT_FORMAT_BMP:
    case PIXKIT_FORMAT_DIB: return encode_bmp(view, out);
    case PIXKIT_FORMAT_RLE: return encode_rle_bmp(view, out);
    case PIXKIT_FORMAT_GIF: return encode_gif(view, out);
    case PIXKIT_FORMAT_IFF:
    case PIXKIT_FORMAT_LBM: return encode_ilbm(view, out);
    case PIXKIT_FORMAT_JIF:
    case PIXKIT_FORMAT_JPG: return encode_jpeg(view, out, g_jpeg_quality.load());
    case PIXKIT_FORMAT_PCX: return encode_pcx(view, out);
    case PIXKIT_FORMAT_TGA: return encode_tga(view, out);
    case PIXKIT_FORMAT_TIF: return encode_tiff(view, out);
    case PIXKIT_FORMAT_JP2: return encode_jp2(view, out);
    default: return fail("unknown format code");
  }
}

}  // namespace

namespace pixkit {
// Loads a picture from memory the way OpenDib loads a file; for tests and
// fuzzing.
TDibImage open_dib_from_memory(ByteSpan file) {
  auto picture = decode_any(file);
  if (!picture) return empty_record();
  return record_from_picture(std::move(picture.value()));
}
}  // namespace pixkit

extern "C" {

PIXKIT_API TDibImage OpenDib(const char* path, int /*reserved*/, void* owner) {
  try {
    if (!path) return empty_record();
    ProgressScope progress(owner);
    MappedFile file(path);
    if (!file.ok()) return empty_record();
    report_progress(0, 1);
    TDibImage dib = open_dib_from_memory(file.bytes());
    if (dib.Bits) report_progress(1, 1);
    return dib;
  } catch (...) {
    return empty_record();
  }
}

PIXKIT_API int SaveDib(const TDibImage* dib, const char* path, int format, void* owner) {
  try {
    if (!path) return 0;
    std::vector<Rgb> palette;
    Metadata metadata;
    auto view = view_of_record(dib, palette, metadata);
    if (!view) return 0;
    if (format < PIXKIT_FORMAT_BMP || format > PIXKIT_FORMAT_JP2) return 0;
    ProgressScope progress(owner);
    report_progress(0, 1);
    Status status = save_atomically(path, [&](OutputFile& out) { return encode_as(format, view.value(), out); });
    if (status.ok()) report_progress(1, 1);
    return status.ok() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

PIXKIT_API void SetJPEGQual(int quality) {
  g_jpeg_quality.store(quality < 1 ? 1 : quality > 100 ? 100 : quality);
}

PIXKIT_API const char* GetDIBOpenFilter(void) {
  return "Alle Bilddateien|*.bmp;*.dib;*.rle;*.gif;*.iff;*.lbm;*.jpg;*.jif;*.jpeg;*.pcx;*.tga;*.tif;*.tiff;*.jp2;*.j2k;*.png"
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/output_save.h"

#include "image/depth_up.h"
#include "image/dib_access.h"
#include "image/replace_depth.h"
#include "run/jpeg_quality.h"
#include "run/output_formats.h"
#include "run/output_path.h"

namespace {

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// The file name's extension in lower case, dot included; empty without one.
std::string lower_extension(const std::string& source) {
  const std::string name = FileNamePart(source);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::string();
  std::string extension = name.substr(dot);
  for (char& c : extension) c = ascii_lower(c);
  return extension;
}

// The further source row of source's extension; null for none.
const FurtherSourceRow* further_source(const std::string& source) {
  return FurtherSourceOf(lower_extension(source));
}

int metadata_code(MetadataPolicy policy) {
  switch (policy) {
    case MetadataPolicy::kAll:
      return PIXKIT_METADATA_ALL;
    case MetadataPolicy::kWithoutGpsAndSerials:
      return PIXKIT_METADATA_NO_GPS_SERIALS;
    case MetadataPolicy::kNone:
      return PIXKIT_METADATA_NONE;
  }
  return PIXKIT_METADATA_ALL;
}

int chroma_code(const JpegExportSettings& jpeg, const LoadedSource& loaded) {
  const bool from_source = jpeg.chroma == ChromaSubsampling::kSameAsSource ||
                           (jpeg.chroma == ChromaSubsampling::kLibraryDefault && jpeg.quality_from_source);
  if (from_source) return loaded.jpeg_chroma != 0 ? loaded.jpeg_chroma : PIXKIT_CHROMA_DEFAULT;
  switch (jpeg.chroma) {
    case ChromaSubsampling::kSameAsSource:
    case ChromaSubsampling::kLibraryDefault:
      return PIXKIT_CHROMA_DEFAULT;
    case ChromaSubsampling::k444:
      return PIXKIT_CHROMA_444;
    case ChromaSubsampling::k422:
      return PIXKIT_CHROMA_422;
    case ChromaSubsampling::k420:
      return PIXKIT_CHROMA_420;
  }
  return PIXKIT_CHROMA_DEFAULT;
}

// The encoder settings of one output. The JPEG choices hold for every JPEG
// output, also one written "wie Quelle"; its quality is the one
// AppliedJpegQuality names, unless quality (1..100) is given.
PixkitSaveSettings save_settings(int format, const LoadedSource& loaded, const WatermarkJob& job,
                                 int quality = 0) {
  const ExportOptions& output = job.output;
  PixkitSaveSettings settings = PixkitSaveSettingsInit();
  settings.format = format;
  settings.metadata = metadata_code(output.metadata);
  // An export writes the colour profile into every format that can carry
  // one; only the plain save keeps TIFF and JP2 as they have always been.
  settings.icc_in_all_formats = 1;
  // And keeps what the photographer wrote about the picture (creator,
  // rights, captions, keywords) as far as the metadata choice allows.
  settings.xmp_iptc_comments = 1;
  if (format == PIXKIT_FORMAT_JPG || format == PIXKIT_FORMAT_JIF) {
    settings.quality = AppliedJpegQuality(job.jpeg_quality, output, loaded.jpeg_quality);
    settings.jpeg_chroma = chroma_code(output.jpeg, loaded);
    settings.jpeg_progressive = output.jpeg.progressive ? 1 : 0;
    settings.jpeg_optimize_huffman = output.jpeg.optimize_huffman ? 1 : 0;
  } else if (format == PIXKIT_FORMAT_PNG) {
    settings.png_compression = output.png.compression;
  } else if (format == PIXKIT_FORMAT_WEBP) {
    settings.quality = output.webp.quality;
    settings.webp_lossless = output.webp.lossless ? 1 : 0;
  } else if (format == PIXKIT_FORMAT_AVIF) {
    settings.quality = output.avif.quality;
    settings.avif_speed = output.avif.speed;
  }
  if (quality > 0 && format != PIXKIT_FORMAT_PNG) settings.quality = quality;
  return settings;
}

}  // namespace

int SourceRowForJob(const std::string& source, const ExportOptions& output) {
  const int row = SourceExtensionRow(source);
  if (row != 0 || !output.more_sources) return row;
  const FurtherSourceRow* further = further_source(source);
  return further ? further->source_row : 0;
}

std::string OutputExtension(ExportFormat format, const std::string& source) {
  if (format != ExportFormat::kSameAsSource) return OutputFormatOf(format).extension;
  // A further source written in another format takes that format's
  // extension; one written in its own keeps its name's spelling.
  if (const FurtherSourceRow* further = further_source(source)) {
    const char* written = OutputFormatOf(further->written_as).extension;
    if (lower_extension(source) != written) return written;
  }
  const std::string name = FileNamePart(source);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

int OutputFormatCode(const std::string& source, const ExportOptions& output) {
  if (output.format != ExportFormat::kSameAsSource) return OutputFormatOf(output.format).library_code;
  // Each table row's format code is its row + 2.
  const int row = SourceExtensionRow(source);
  if (row != 0) return row + 2;
  const FurtherSourceRow* further = further_source(source);
  return further ? OutputFormatOf(further->written_as).library_code : 0;
}

int OutputQuality(const std::string& source, const LoadedSource& loaded, const WatermarkJob& job) {
  const int format = OutputFormatCode(source, job.output);
  const bool lossy = format == PIXKIT_FORMAT_JPG || format == PIXKIT_FORMAT_JIF ||
                     format == PIXKIT_FORMAT_AVIF ||
                     (format == PIXKIT_FORMAT_WEBP && !job.output.webp.lossless);
  return lossy ? save_settings(format, loaded, job).quality : 0;
}

bool SaveOutput(const TDibImage& record, const std::string& output, const std::string& source,
                const LoadedSource& loaded, const WatermarkJob& job, const PixkitCallOptions& call,
                int* reason, int quality) {
  const int format = OutputFormatCode(source, job.output);
  if (!job.output.any()) return SaveDibWith(&record, output.c_str(), format, &call, reason) == 1;
  const PixkitSaveSettings settings = save_settings(format, loaded, job, quality);
  // JPEG has no alpha: a see-through source (a PNG, WebP or AVIF logo, a
  // 32-bit TIFF) is laid on white, as picture tools export it, instead of
  // showing whatever colour its transparent pixels hold.
  if ((format == PIXKIT_FORMAT_JPG || format == PIXKIT_FORMAT_JIF) && DibBitCount(record) == 32) {
    TDibImage flat = CopyDib(record);
    if (flat.Bits == nullptr) {
      if (reason) *reason = PIXKIT_REASON_TOO_LARGE;
      return false;
    }
    FlattenOverWhite(flat);
    const bool written = SaveDibAs(&flat, output.c_str(), &settings, &call, reason) == 1;
    deldib(&flat);
    return written;
  }
  return SaveDibAs(&record, output.c_str(), &settings, &call, reason) == 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export_flags.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "run/output_formats.h"

namespace {

struct FlagText {
  std::string_view name;
  const char* expects;
};

// "a, b, c oder d": the names as a German sentence lists them.
template <class Rows, class Name>
std::string spoken_list(const Rows& rows, Name name, const char* last_joint) {
  std::string text;
  for (size_t i = 0; i < std::size(rows); ++i) {
    if (i > 0) text += i + 1 == std::size(rows) ? last_joint : ", ";
    text += name(rows[i]);
  }
  return text;
}

const std::string kFormatFlagExpects = spoken_list(
    kOutputFormats, [](const OutputFormatRow& row) { return row.flag_name; }, " oder ");
const std::string kIncludeFlagExpects =
    "eine Liste aus " +
    spoken_list(
        kFurtherSources, [](const FurtherSourceRow& row) { return row.include_name; }, " und ") +
    ", durch Kommas getrennt";

const FlagText kFlags[] = {
    {"--max-size", "eine Kantenlänge N oder einen Rahmen BxH in Pixeln"},
    {"--format", kFormatFlagExpects.c_str()},
    {"--name", "ein Namensmuster wie \"Hochzeit-{Nr:4}\""},
    {"--target", "einen Zielordner"},
    {"--if-exists", "replace, skip oder rename"},
    {"--metadata", "all, no-gps oder none"},
    {"--chroma", "444, 422, 420 oder same"},
    {"--png-level", "eine Stufe von 0 bis 9"},
    {"--sharpen", "none, low, standard oder high"},
    {"--avif-speed", "eine Geschwindigkeit von 0 bis 10"},
    {"--include", kIncludeFlagExpects.c_str()},
    {"--max-file-size", "eine Dateigröße N in Bytes, Nk (1000 Bytes) oder NM (1000000 Bytes)"},
};

bool parse_side(std::string_view text, int32_t& side) {
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, side);
  return !text.empty() && error == std::errc() && rest == end && side >= 1;
}

bool parse_max_size(std::string_view text, ExportSize& size) {
  size = ExportSize{};
  const size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) {
    size.mode = ExportSizeMode::kLongEdge;
    return parse_side(text, size.edge);
  }
  size.mode = ExportSizeMode::kBox;
  return parse_side(text.substr(0, x), size.box_width) && parse_side(text.substr(x + 1), size.box_height);
}

// A whole number from low to high, as typed.
bool parse_in_range(std::string_view text, int low, int high, std::optional<int>& value) {
  int number = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || rest != end || number < low || number > high) return false;
  value = number;
  return true;
}

// "200k" and "2M" as 200000 and 2000000 bytes (decimal, as upload limits
// are stated); up to what the job's field holds.
bool parse_file_size(std::string_view text, int32_t& bytes) {
  int64_t unit = 1;
  if (!text.empty() && (text.back() == 'k' || text.back() == 'M')) {
    unit = text.back() == 'k' ? 1000 : 1000000;
    text.remove_suffix(1);
  }
  int64_t count = 0;
  const char* end = text.data() + text.size();
  auto [rest, error] = std::from_chars(text.data(), end, count);
  if (text.empty() || error != std::errc() || rest != end || count < 1 || count > INT32_MAX / unit)
    return false;
  bytes = int32_t(count * unit);
  return true;
}

template <class Value, size_t N>
bool one_of(std::string_view text, const std::pair<std::string_view, Value> (&names)[N],
            std::optional<Value>& value) {
  for (const auto& [name, meaning] : names) {
    if (text != name) continue;
    value = meaning;
    return true;
  }
  return false;
}

constexpr std::pair<std::string_view, IfOutputExists> kIfExists[] = {{"replace", IfOutputExists::kReplace},
                                                                     {"skip", IfOutputExists::kSkip},
                                                                     {"rename", IfOutputExists::kRename}};
constexpr std::pair<std::string_view, MetadataPolicy> kMetadata[] = {
    {"all", MetadataPolicy::kAll},
    {"no-gps", MetadataPolicy::kWithoutGpsAndSerials},
    {"none", MetadataPolicy::kNone}};
constexpr std::pair<std::string_view, ExportSharpen> kSharpen[] = {{"none", ExportSharpen::kNone},
                                                                   {"low", ExportSharpen::kLow},
                                                                   {"standard", ExportSharpen::kStandard},
                                                                   {"high", ExportSharpen::kHigh}};
constexpr std::pair<std::string_view, ChromaSubsampling> kChroma[] = {
    {"444", ChromaSubsampling::k444},
    {"422", ChromaSubsampling::k422},
    {"420", ChromaSubsampling::k420},
    {"same", ChromaSubsampling::kSameAsSource}};

// The job holds one switch for the four further source types; the list
// names them so that a command line says what it lets in.
bool parse_include(std::string_view text) {
  if (text.empty()) return false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view type = text.substr(start, end - start);
    if (std::none_of(std::begin(kFurtherSources), std::end(kFurtherSources),
                     [type](const FurtherSourceRow& row) { return type == row.include_name; }))
      return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool IsExportValueFlag(std::string_view name) { return ExportFlagExpects(name) != nullptr; }

const char* ExportFlagExpects(std::string_view name) {
  for (const FlagText& flag : kFlags)
    if (flag.name == name) return flag.expects;
  return nullptr;
}

bool StoreExportFlag(std::string_view name, const std::string& value, ExportFlags& flags) {
  if (name == "--max-size") {
    ExportSize size;
    if (!parse_max_size(value, size)) return false;
    flags.size = size;
    return true;
  }
  if (name == "--format") {
    for (const OutputFormatRow& row : kOutputFormats)
      if (value == row.flag_name) {
        flags.format = row.format;
        return true;
      }
    return false;
  }
  if (name == "--if-exists") return one_of(value, kIfExists, flags.if_exists);
  if (name == "--metadata") return one_of(value, kMetadata, flags.metadata);
  if (name == "--chroma") return one_of(value, kChroma, flags.chroma);
  if (name == "--sharpen") return one_of(value, kSharpen, flags.sharpen);
  if (name == "--include") return flags.more_sources = parse_include(value);
  if (name == "--png-level") return parse_in_range(value, 0, 9, flags.png_level);
  if (name == "--avif-speed") return parse_in_range(value, 0, 10, flags.avif_speed);
  if (name == "--max-file-size") {
    int32_t bytes = 0;
    if (!parse_file_size(value, bytes)) return false;
    flags.max_file_size = bytes;
    return true;
  }
  if (name == "--name") {
    flags.name_pattern = value;
    return !value.empty();
  }
  if (name == "--target") {
    flags.target_folder = value;
    return !value.empty();
  }
  return false;
}

void ApplyExportFlags(const ExportFlags& flags, ExportOptions& output) {
  if (flags.size) output.size = *flags.size;
  if (flags.format) output.format = *flags.format;
  if (flags.name_pattern) output.name_pattern = *flags.name_pattern;
  if (flags.target_folder) {
    // Typed here, so meant from here, not from the settings file's folder.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(*flags.target_folder, error);
    output.target = ExportTarget::kTargetFolder;
    output.target_folder = error ? *flags.target_folder : absolute.lexically_normal().string();
  }
  if (flags.if_exists) output.if_exists = *flags.if_exists;
  if (flags.metadata) output.metadata = *flags.metadata;
  if (flags.chroma) output.jpeg.chroma = *flags.chroma;
  if (flags.sharpen) output.sharpen = *flags.sharpen;
  if (flags.max_file_size) output.max_file_size = *flags.max_file_size;
  if (flags.convert_to_srgb) output.convert_to_srgb = true;
  if (flags.progressive) output.jpeg.progressive = true;
  if (flags.optimize_huffman) output.jpeg.optimize_huffman = true;
  if (flags.webp_lossless) output.webp.lossless = true;
  if (flags.png_level) output.png.compression = *flags.png_level;
  if (flags.avif_speed) output.avif.speed = *flags.avif_speed;
  if (flags.more_sources) output.more_sources = true;
}

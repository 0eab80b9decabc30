// SPDX-License-Identifier: GPL-3.0-or-later
// The flags of stempora-batch that set how the outputs leave the run:
// size, format, names, folder, taken names, metadata and colour. Each one
// given replaces the job's own choice; one not given leaves it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "run/export_options.h"

struct ExportFlags {
  std::optional<ExportSize> size;  // --max-size N (long edge) or WxH (box)
  std::optional<ExportFormat> format;
  std::optional<std::string> name_pattern;
  std::optional<std::string> target_folder;  // as typed; made absolute from the current folder
  std::optional<IfOutputExists> if_exists;
  std::optional<MetadataPolicy> metadata;
  std::optional<ChromaSubsampling> chroma;
  std::optional<ExportSharpen> sharpen;
  std::optional<int32_t> max_file_size;  // --max-file-size N, Nk or NM, in bytes
  bool convert_to_srgb = false;          // --srgb
  bool progressive = false;              // --progressive
  bool optimize_huffman = false;         // --optimize-huffman
  bool webp_lossless = false;            // --webp-lossless
  std::optional<int> png_level;          // --png-level 0..9
  std::optional<int> avif_speed;         // --avif-speed 0..10
  bool more_sources = false;             // --include with one or more of png, webp, heic, avif
};

// Whether name is one of the flags above that takes a value.
bool IsExportValueFlag(std::string_view name);
// Stores the flag's value; false when the flag does not take it.
bool StoreExportFlag(std::string_view name, const std::string& value, ExportFlags& flags);
// What "--flag erwartet ..." says the flag takes.
const char* ExportFlagExpects(std::string_view name);

// The job's export options with the flags given laid over them.
void ApplyExportFlags(const ExportFlags& flags, ExportOptions& output);

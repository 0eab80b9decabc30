// SPDX-License-Identifier: LGPL-2.1-or-later
#include "jpeg_markers.h"

#include <cstring>
#include <new>

#include "codecs/metadata/exif_block.h"
#include "core/limits.h"

namespace pixkit {
namespace {

constexpr uint8_t kIccSignature[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
constexpr char kXmpPrefix[] = "http://ns.adobe.com/x";  // both "xap/1.0/" and "xmp/extension/"
constexpr char kPhotoshopSignature[] = "Photoshop 3.0";

bool starts_with(ByteSpan data, const uint8_t* prefix, size_t n) {
  return data.size() >= n && std::memcmp(data.data(), prefix, n) == 0;
}

// Whether a saved segment is one an export keeps as it is: XMP in APP1,
// Photoshop resources in APP13, and comments.
bool is_kept_segment(int marker, ByteSpan payload) {
  if (marker == JPEG_COM) return true;
  if (marker == kExifMarker)
    return starts_with(payload, reinterpret_cast<const uint8_t*>(kXmpPrefix), sizeof kXmpPrefix - 1);
  if (marker == kPhotoshopMarker)
    return starts_with(payload, reinterpret_cast<const uint8_t*>(kPhotoshopSignature),
                       sizeof kPhotoshopSignature);
  return false;
}

}  // namespace

std::vector<uint8_t> assemble_icc_profile(const std::vector<ByteSpan>& app2_payloads) {
  std::vector<ByteSpan> chunks;  // by sequence number - 1
  uint64_t total = 0;
  for (ByteSpan payload : app2_payloads) {
    if (!starts_with(payload, kIccSignature, sizeof kIccSignature) || payload.size() < kIccChunkHeaderSize)
      continue;
    const uint8_t sequence = payload[12], count = payload[13];
    if (count == 0 || sequence == 0 || sequence > count) return {};
    if (chunks.empty()) chunks.resize(count);
    if (chunks.size() != count) return {};
    ByteSpan& slot = chunks[sequence - 1u];
    if (slot.data()) return {};  // the same chunk twice
    slot = payload.subspan(kIccChunkHeaderSize);
    total += slot.size();
    if (total > kMaxMetadataBytes) return {};
  }
  std::vector<uint8_t> profile;
  for (ByteSpan chunk : chunks)
    if (!chunk.data()) return {};
  profile.reserve(size_t(total));
  for (ByteSpan chunk : chunks) profile.insert(profile.end(), chunk.begin(), chunk.end());
  return profile;
}

bool collect_metadata(jpeg_saved_marker_ptr markers, Metadata& metadata) {
  try {
    std::vector<ByteSpan> app2;
    bool have_exif = false;
    uint64_t kept_bytes = 0;
    for (jpeg_saved_marker_ptr m = markers; m; m = m->next) {
      // A marker cut short by libjpeg's own length limit is not whole.
      if (m->data_length != m->original_length || !m->data) continue;
      const ByteSpan payload(m->data, m->data_length);
      if (m->marker == kExifMarker && !have_exif &&
          starts_with(payload, kExifMarkerHeader, sizeof kExifMarkerHeader)) {
        const ByteSpan block = payload.subspan(sizeof kExifMarkerHeader);
        metadata.exif.assign(block.begin(), block.end());
        have_exif = true;
      } else if (m->marker == kIccMarker) {
        app2.push_back(payload);
      } else if (is_kept_segment(m->marker, payload) && kept_bytes + payload.size() <= kMaxMetadataBytes) {
        kept_bytes += payload.size();
        metadata.jpeg_segments.push_back(
            {uint8_t(m->marker), std::vector<uint8_t>(payload.begin(), payload.end())});
      }
    }
    if (!app2.empty()) metadata.icc = assemble_icc_profile(app2);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace pixkit

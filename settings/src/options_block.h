// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's optional option block, after the font record:
//
//   tag      4 bytes  "ERWT"
//   version  2 bytes  1; a reader takes any version from 1 on
//   length   4 bytes  bytes of the fields that follow
//   fields   each: tag (2 bytes), length (4 bytes), that many bytes of value
//
// all little-endian. A reader of the plain layout stops at the font record
// and never sees the block; ours skips fields whose tag it does not know.
// A job with every option off is written without the block.
#pragma once

#include "pixkit/pixkit.h"
#include "settings/watermark_options.h"
#include "settings_io.h"

// A 32-bit picture watermark (kept with its alpha channel) goes into the
// block as a field of its own, so the job stamps alike when reopened; the
// picture rows before it hold the same picture composed over white.
void WriteOptionsBlock(SettingsOutput& file, const WatermarkOptions& options,
                       const TDibImage* alpha_picture = nullptr);

// Reads the block when the file goes on with one. Bytes after the font
// record that do not start with the block's tag are ignored, as the plain
// reader ignores them. False when the block is damaged: cut short, a field
// running past the block, a known field of the wrong size, a number that is
// not finite, or version 0.
// A picture with alpha channel found in the block is handed to
// alpha_picture (the caller releases it); a damaged one makes the block
// damaged.
[[nodiscard]] bool ReadOptionsBlock(SettingsInput& file, WatermarkOptions& options,
                                    TDibImage* alpha_picture = nullptr);

// SPDX-License-Identifier: GPL-3.0-or-later
#include "write_source.h"

#include <new>
#include <optional>

#include "image/dib_access.h"
#include "output/file_size_fit.h"
#include "output/keep_jpeg_blocks.h"
#include "output/output_folder.h"
#include "run/failure_text.h"
#include "run/log_text.h"
#include "run/output_path.h"
#include "run/output_save.h"
#include "run/prepare_source.h"
#include "run/stamp_source.h"

namespace {

// Releases the record it watches exactly once, whatever the record holds
// by then: the depth conversions replace the caller's record in place.
class RecordRelease {
 public:
  explicit RecordRelease(TDibImage& record) : record_(record) {}
  ~RecordRelease() { deldib(&record_); }
  RecordRelease(const RecordRelease&) = delete;
  RecordRelease& operator=(const RecordRelease&) = delete;

 private:
  TDibImage& record_;
};

// Only a source that loaded gets its folder: a job listing files that are
// gone leaves no empty folders behind.
void create_output_folder(const SourceToWrite& work) {
  MakeOutputFolder(work.folder_base, SourceFolder(work.output));
}

// The lines of a source that loaded, on either path.
// quality: the one a file-size cap left (0: no cap applied).
bool log_written(bool written, int reason, const SourceToWrite& work, const SourceWriteHooks& hooks,
                 int quality = 0) {
  if (written) {
    const std::string shown = LogPathText(work.output);
    hooks.log(quality > 0 ? WrittenText(shown, quality) : WrittenText(shown));
    return true;
  }
  hooks.log(ErrorText(SaveFailedText(LogPathText(work.output), reason)));
  return false;
}

// A JPEG written with the blocks the marks cannot touch kept; nothing
// when the library gives that up, and the ordinary steps follow.
std::optional<bool> write_keeping_blocks(const WatermarkJob& job, const SourceToWrite& work,
                                         const PixkitCallOptions& call, const SourceWriteHooks& hooks) {
  PixkitJpegBlocksInfo info = PixkitJpegBlocksInfoInit();
  if (!PixkitProbeJpegBlocks(work.source.c_str(), &info)) return std::nullopt;
  hooks.size(info.width, info.height);
  // The folder only once the source has loaded, as on the ordinary path.
  const KeptBlocksSave save = SaveKeepingJpegBlocks(job, work.source, work.number, info, work.output, &call,
                                                    [&work] { create_output_folder(work); });
  if (!save.applied) return std::nullopt;
  hooks.log(LoadedText(LogPathText(work.source)));
  return log_written(save.written, save.reason, work, hooks);
}

bool write_source(const WatermarkJob& job, const SourceToWrite& work, const PixkitCallOptions& call,
                  const SourceWriteHooks& hooks) {
  if (work.try_kept_blocks)
    if (std::optional<bool> written = write_keeping_blocks(job, work, call, hooks)) return *written;
  PreparedSource prepared = PrepareSource(work.source, &call, job.output, [&](const TDibImage& loaded) {
    hooks.size(DibWidth(loaded), DibHeight(loaded));
    create_output_folder(work);
  });
  RecordRelease release(prepared.loaded.record);
  TDibImage& record = prepared.loaded.record;
  if (record.Bits == nullptr) {
    hooks.log(ErrorText(LoadFailedText(LogPathText(work.source), prepared.loaded.reason)));
    return false;
  }
  if (prepared.out_of_memory) throw std::bad_alloc();
  hooks.log(LoadedText(LogPathText(work.source)));
  if (prepared.profile_dropped) hooks.log(UnusableProfileText(LogPathText(work.source)));
  StampSource(record, job, work.source, work.number);
  BringBackToSourceDepth(record, prepared.depth);

  if (hooks.saving) hooks.saving();
  const FittedSave save = SaveWithinFileSize(record, work.output, work.source, prepared.loaded, job, call);
  const bool written = log_written(save.written, save.reason, work, hooks, save.quality);
  if (written && save.over_size)
    hooks.log(OverFileSizeText(LogPathText(work.output), job.output.max_file_size));
  return written;
}

}  // namespace

bool WriteSource(const WatermarkJob& job, const SourceToWrite& work, const PixkitCallOptions& call,
                 const SourceWriteHooks& hooks) {
  try {
    return write_source(job, work, call, hooks);
  } catch (const OutputFolderRefused& refused) {
    hooks.log(
        ErrorText(SaveFailedText(LogPathText(work.output), LinkedFolderText(LogPathText(refused.level)))));
    return false;
  }
}

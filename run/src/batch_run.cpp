// The batch loop: load, promote, stamp, reduce, save, release; one source
// at a time, in list order.
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "image/depth_down.h"
#include "image/depth_up.h"
#include "image/dib_access.h"
#include "run/batch.h"
#include "run/log_text.h"
#include "run/output_path.h"
#include "run/stamp_picture.h"
#include "run/stamp_text.h"

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

void create_output_folder(const std::string& folder) {
  // A folder that cannot be created shows up as a failed save.
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
}

void stamp_one_source(const WatermarkJob& job, const LogSink& log, const std::string& source, int row,
                      BatchOutcome& outcome) {
  int reason = PIXKIT_REASON_NONE;
  TDibImage record = OpenDibEx(source.c_str(), 0, job.owner, &reason);
  RecordRelease release(record);
  if (record.Bits == nullptr) {
    log("Fehler: Die Datei " + LogPathText(source) + " konnte nicht geladen werden! (" +
        LoadFailureText(reason) + ")");
    ++outcome.sources_failed;
    return;
  }
  // Only a source that loaded gets its folder: a job listing files that
  // are gone leaves no empty folders behind.
  const std::string folder = OutputFolder(source, job.out_dir);
  const std::string output = folder + FileNamePart(source);
  create_output_folder(folder);

  // The passes address every pixel as three bytes: palette and 16-bit
  // pictures are promoted, and a 32-bit picture keeps its alpha aside.
  const int bit_count = DibBitCount(record);
  AlphaPlane alpha;
  if (bit_count == 32) {
    alpha = SetAlphaAside(record);
  } else if (bit_count != 24) {
    DepthUpTo(record, 24);
  }
  log(LogPathText(source) + " geladen...");

  if (job.add_picture && job.watermark != nullptr) StampPicture(record, *job.watermark, job.picture);
  if (job.add_text) StampText(record, job.text);

  if (bit_count == 32) {
    RestoreAlpha(record, alpha);
  } else if (bit_count != 24) {
    DepthDownTo(record, bit_count);
  }

  if (SaveDibEx(&record, output.c_str(), row + 2, job.owner, &reason) == 1) {
    log(LogPathText(output) + " geschrieben...");
    ++outcome.sources_written;
  } else {
    log("Fehler: Die Datei " + LogPathText(output) + " konnte nicht geschrieben werden! (" +
        SaveFailureText(reason) + ")");
    ++outcome.sources_failed;
  }
}

}  // namespace

BatchOutcome RunBatch(const WatermarkJob& job, const LogSink& log) {
  BatchOutcome outcome;
  try {
    // The list keeps its paths as stored; relative ones are opened from
    // the settings file's folder, and the log names what was opened.
    std::vector<std::string> sources;
    sources.reserve(job.sources.size());
    for (const std::string& listed : job.sources)
      sources.push_back(OpenedSourcePath(listed, job.sources_folder));
    if (std::optional<std::string> overwritten = FirstOverwrittenSource(sources, job.out_dir)) {
      outcome.refused = true;
      outcome.overwritten_source = std::move(*overwritten);
      return outcome;
    }
    SetJPEGQual(job.jpeg_quality);
    for (const std::string& source : sources) {
      const int row = SourceExtensionRow(source);
      if (row == 0) {
        // Passed over, but said so: the file dialog offers more types than
        // the run writes. No folder is made for it.
        log(LogPathText(source) + " übersprungen: dieser Dateityp wird nicht bearbeitet");
        ++outcome.sources_skipped;
        continue;
      }
      ++outcome.sources_recognised;
      stamp_one_source(job, log, source, row, outcome);
    }
    log("Fertig...");
  } catch (const std::bad_alloc&) {
    outcome.aborted = true;
    outcome.out_of_memory = true;
  } catch (const std::exception& error) {
    outcome.aborted = true;
    outcome.abort_reason = error.what();
  } catch (...) {
    outcome.aborted = true;
  }
  return outcome;
}

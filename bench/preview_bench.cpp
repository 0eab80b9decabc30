// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window on a 12-megapixel source with the benchmark job: time
// from opening it to the first stamped picture (target <= 1 s), and from a
// changed setting to the new picture, the settling pause included (target
// <= 200 ms). Wall time, best of the rounds.
#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <string>

#include "bench_stamp_job.h"
#include "dialogs/preview_window.h"
#include "watermark_corpus.h"

namespace {

bool wait_for(const TPreviewForm& preview, int renders) {
  QElapsedTimer clock;
  clock.start();
  while (preview.renders_finished() < renders) {
    if (clock.elapsed() > 60000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "Aufruf: preview_bench ORDNER RUNDEN\n");
    return 1;
  }
  QApplication application(argc, argv);
  const std::string source = std::string(argv[1]) + "/vorschau.jpg";
  TDibImage photo = MakePhotoLikePicture(4000, 3000, 7);
  if (!photo.Bits || SaveDib(&photo, source.c_str(), PIXKIT_FORMAT_JPG, nullptr) != 1) return 1;
  deldib(&photo);
  TDibImage logo = MakeLogoWatermark();
  const auto watermark = CopyWatermark(logo);
  deldib(&logo);

  const int rounds = std::max(1, std::atoi(argv[2]));
  double best_first = 1e9, best_change = 1e9;
  for (int round = 0; round < rounds; ++round) {
    int transparency = 75;
    TPreviewForm preview([&](int) {
      PreviewRequest request;
      request.job = MakeBenchJob({source}, "Vorschau", watermark ? &watermark->dib : nullptr);
      request.job.text.transparency = transparency;
      request.watermark = watermark;
      request.source = source;
      return request;
    });
    preview.resize(900, 700);
    QElapsedTimer clock;
    clock.start();
    preview.SetSources({QString::fromStdString(source)}, 0);
    preview.show();
    if (!wait_for(preview, 1)) return 1;
    best_first = std::min(best_first, clock.elapsed() / 1000.0);
    clock.restart();
    transparency = 30;
    preview.SettingsChanged();
    if (!wait_for(preview, 2)) return 1;
    best_change = std::min(best_change, clock.elapsed() / 1000.0);
  }
  const bool first_ok = best_first <= 1.0, change_ok = best_change <= 0.2;
  std::printf("preview: first picture %.3f s (target <= 1 s) %s\n", best_first, first_ok ? "PASS" : "FAIL");
  std::printf("preview: after a change %.3f s (target <= 0.2 s) %s\n", best_change,
              change_ok ? "PASS" : "FAIL");
  return first_ok && change_ok ? 0 : 3;
}

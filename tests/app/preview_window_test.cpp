// SPDX-License-Identifier: GPL-3.0-or-later
// The preview shows a source stamped exactly as the run writes it and
// follows a changed setting.
#include "dialogs/preview_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <atomic>

#include "image/dib_access.h"
#include "run/batch.h"
#include "support/temp_folder.h"

namespace {

bool write_photo(const std::string& path) {
  TDibImage picture = newdib(200, 150, 24, nullptr, 0);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) setpixel(&picture, x, y, uint32_t(x) | uint32_t(y) << 8 | 0x600000u);
  const bool ok = SaveDib(&picture, path.c_str(), PIXKIT_FORMAT_BMP, nullptr) == 1;
  deldib(&picture);
  return ok;
}

QImage load_as_image(const std::string& path) {
  TDibImage record = OpenDib(path.c_str(), 0, nullptr);
  QImage image(DibWidth(record), DibHeight(record), QImage::Format_BGR888);
  for (int y = 0; y < image.height(); ++y)
    memcpy(image.scanLine(y), DibRow(record, y), size_t(image.width()) * 3);
  deldib(&record);
  return image;
}

}  // namespace

TEST(PreviewWindow, ShowsTheSourceAsTheRunStampsItAndFollowsAChangedSetting) {
  testsupport::TempDir folder("stempora-preview");
  const std::string source = folder.file("foto.bmp");
  ASSERT_TRUE(write_photo(source));
  std::atomic<int> transparency{0};
  WatermarkJob job;
  job.sources = {source};
  job.out_dir = "aus";
  job.text.text = "Vorschau";
  job.text.position = 4;
  job.text.font.color = 0x0000FF;
  TPreviewForm preview([&](int) {
    PreviewRequest request;
    request.job = job;
    request.job.text.transparency = transparency;
    request.source = source;
    return request;
  });
  preview.SetSources({QString::fromStdString(source)}, 0);
  preview.show();
  QTRY_COMPARE_WITH_TIMEOUT(preview.renders_finished(), 1, 10000);

  job.text.transparency = 0;
  ASSERT_EQ(RunBatch(job, [](const std::string&) {}).sources_written, 1);
  const QImage written = load_as_image(folder.file("aus/foto.bmp"));
  EXPECT_EQ(preview.shown(), written);

  transparency = 100;  // the text vanishes
  preview.SettingsChanged();
  QTRY_COMPARE_WITH_TIMEOUT(preview.renders_finished(), 2, 10000);
  EXPECT_EQ(preview.shown(), load_as_image(source));
}

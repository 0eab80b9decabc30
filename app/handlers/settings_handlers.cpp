// SPDX-License-Identifier: GPL-3.0-or-later
// The reset, the font choice, and the picture watermark's loading and
// preview.
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <new>

#include "dialogs/open_filter.h"
#include "image/dib_access.h"
#include "image/draw_dib_scaled.h"
#include "main_form.h"
#include "run/failure_text.h"
#include "run/log_text.h"
#include "settings/settings_file.h"
#include "settings/watermark_picture.h"
#include "widgets/paint_box.h"
#include "widgets/rx_spin_edit.h"

namespace {
// After the failure text, when the picture watermark of the last run could
// not be loaded again at start.
constexpr const char* kWatermarkMissingText =
    "Das zuletzt geladene Wasserzeichenbild fehlt, \"Kein Bild hinzufügen\" ist gewählt.";
// The failure when the store has "Bild hinzufügen" but not where the
// picture came from: a file from before the store kept that.
constexpr const char* kWatermarkOriginUnknownText =
    "Woher das Wasserzeichenbild stammt, ist nicht gespeichert.";
}  // namespace

void TMainForm::NewBtnClick() {
  // The font, the picture watermark, the dialog folders and the log stay.
  sources.ListBox1->clear();
  text.Memo1->clear();
  picture.NoPicChecked->setChecked(true);
  text.AddTextCheck->setChecked(true);
  text.RandEd->SetValue(20);
  picture.RandEd2->SetValue(20);
  picture.TrackBar2->setValue(50);
  text.TrackBar1->setValue(75);
  text.Position1->setCurrentIndex(4);
  picture.Position2->setCurrentIndex(9);
  process.jpeged->SetValue(75);
  process.OutDirEd->setText(QStringLiteral("Wasserzeichen"));
  Options = WatermarkOptions{};
  SettingsChanged();
}

void TMainForm::NewFontBtnClick() {
  if (std::optional<TextFont> chosen = dialogs_.choose_font(this, Font)) {
    Font = *chosen;
    SettingsChanged();
  }
}

void TMainForm::OpenPicBtnClick() {
  // The library's formats are asked for on every click.
  const QStringList filters = ConvertDibOpenFilter(QString::fromUtf8(GetDIBOpenFilter()));
  const QStringList chosen = dialogs_.choose_picture_files(this, OpenDialog2Dir, filters);
  if (chosen.isEmpty()) return;
  const QString path = chosen.first();
  const std::string file = QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
  // Loaded with its alpha channel whatever the option says now: the option
  // may be switched later.
  TDibImage loaded = LoadWatermarkPicture(file, this, true);
  if (loaded.Bits == nullptr) {
    dialogs_.show_message(this, QStringLiteral("Fehler"),
                          QString::fromStdString(ErrorText(LoadFailedText(path.toStdString()))));
    return;
  }
  // The old picture goes only once the new one is good.
  AdoptWatermark(loaded);
  WatermarkDibOrigin = {WatermarkOrigin::Kind::kPictureFile, file};
  if (picture.NoPicChecked->isChecked()) picture.AddPicCheck->setChecked(true);
  picture.PaintBox2->update();
  SettingsChanged();
}

void TMainForm::LoadWatermarkAgain(const WatermarkOrigin& origin) {
  if (origin.kind == WatermarkOrigin::Kind::kNone) {
    // "Bild hinzufügen" with no picture to load: what is left is the black
    // start picture, which nobody means to stamp.
    if (picture.AddPicCheck->isChecked()) WatermarkMissing(kWatermarkOriginUnknownText);
    return;
  }
  TDibImage loaded{};
  std::string failure;
  if (origin.kind == WatermarkOrigin::Kind::kPictureFile) {
    int reason = PIXKIT_REASON_NONE;
    // No progress: the window is only just being shown.
    loaded = LoadWatermarkPicture(origin.path, nullptr, true, &reason);
    if (loaded.Bits == nullptr) failure = LoadFailedText(LogPathText(origin.path), reason);
  } else {
    // Only the picture is taken from the settings file; its other values
    // are the store's.
    SettingsReadResult read = ReadSettingsFile(origin.path);
    if (read.ok()) {
      loaded = std::exchange(read.content.watermark, TDibImage{});
    } else {
      failure = read.message;
    }
  }
  if (loaded.Bits == nullptr) {
    WatermarkDibOrigin = WatermarkOrigin{};
    WatermarkMissing(failure);
    return;
  }
  AdoptWatermark(loaded);
  WatermarkDibOrigin = origin;
}

void TMainForm::WatermarkMissing(const std::string& failure) {
  picture.NoPicChecked->setChecked(true);
  const QString line = QString::fromStdString(ErrorText(failure)) + QStringLiteral(" ") +
                       QString::fromUtf8(kWatermarkMissingText);
  AppendLog(line);
  // Said also where the picture is chosen, until another one is loaded.
  picture.MissingPictureLabel->setText(line);
  picture.MissingPictureLabel->show();
}

void TMainForm::AdoptWatermark(TDibImage loaded) {
  const WatermarkPictures pictures = SplitWatermarkPicture(loaded);
  if (pictures.flattened.Bits == nullptr) throw std::bad_alloc();
  deldib(&WatermarkDib);
  deldib(&WatermarkAlpha);
  WatermarkDib = pictures.flattened;
  WatermarkAlpha = pictures.with_alpha;
  picture.MissingPictureLabel->hide();
  picture.PaintBox2->update();
}

void TMainForm::PaintBox2Paint(QPainter& canvas) {
  const int32_t width = DibWidth(WatermarkDib);
  const int32_t height = DibHeight(WatermarkDib);
  TPaintBox* box = picture.PaintBox2;
  // The box takes the picture's size; the resize brings a new paint, which
  // draws. The preview is never scaled: the scroll box scrolls it.
  if (box->width() != width || box->height() != height) {
    box->resize(width, height);
    box->update();
    return;
  }
  DrawDibScaled(canvas, 0, 0, width, height, WatermarkDib, 0, 0, width, height);
}

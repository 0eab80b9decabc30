// The reset, the font choice, and the picture watermark's loading and
// preview.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>

#include "image/dib_access.h"
#include "image/draw_dib_scaled.h"
#include "main_form.h"
#include "dialogs/open_filter.h"
#include "widgets/paint_box.h"
#include "run/failure_text.h"
#include "widgets/rx_spin_edit.h"
#include "settings/watermark_picture.h"

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
  TDibImage loaded =
      LoadWatermarkPicture(QFile::encodeName(path).toStdString(), this, Options.picture.keep_alpha);
  if (loaded.Bits == nullptr) {
    dialogs_.show_message(this, QStringLiteral("Fehler"),
                          QString::fromStdString(ErrorText(LoadFailedText(path.toStdString()))));
    return;
  }
  // The old picture goes only once the new one is good.
  deldib(&WatermarkDib);
  WatermarkDib = loaded;
  if (picture.NoPicChecked->isChecked()) picture.AddPicCheck->setChecked(true);
  picture.PaintBox2->update();
  SettingsChanged();
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

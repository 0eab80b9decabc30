#include "form_content.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>

#include "main_form.h"
#include "page_controls.h"
#include "paint_box.h"
#include "rx_spin_edit.h"

namespace {

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// The memo's lines: an empty last line does not count, as in a memo that
// ends with a line break.
std::vector<std::string> MemoLinesOf(const QPlainTextEdit* memo) {
  QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  std::vector<std::string> result;
  result.reserve(size_t(lines.size()));
  for (const QString& line : lines) result.push_back(line.toStdString());
  return result;
}

}  // namespace

SettingsFileContent ContentFromForm(const TMainForm& form) {
  SettingsFileContent content;
  const QListWidget* list = form.sources.ListBox1;
  content.sources.reserve(size_t(list->count()));
  for (int i = 0; i < list->count(); ++i) content.sources.push_back(PathBytes(list->item(i)->text()));
  content.text_margin = form.text.RandEd->Value();
  content.picture_margin = form.picture.RandEd2->Value();
  content.text_lines = MemoLinesOf(form.text.Memo1);
  content.text_on = form.text.AddTextCheck->isChecked();
  content.text_off = form.text.AddNoTextCheck->isChecked();
  content.picture_on = form.picture.AddPicCheck->isChecked();
  content.picture_off = form.picture.NoPicChecked->isChecked();
  content.text_transparency = form.text.TrackBar1->value();
  content.picture_transparency = form.picture.TrackBar2->value();
  content.text_position = form.text.Position1->currentIndex();
  content.picture_position = form.picture.Position2->currentIndex();
  content.jpeg_quality = int(form.process.jpeged->Value());  // toward zero
  content.out_dir = form.process.OutDirEd->text().toStdString();
  content.sources_dialog_dir = PathBytes(form.OpenDialog1Dir);
  content.picture_dialog_dir = PathBytes(form.OpenDialog2Dir);
  content.open_settings_dialog_dir = PathBytes(form.OpenDialog3Dir);
  content.save_settings_dialog_dir = PathBytes(form.SaveDialog1Dir);
  content.watermark = form.WatermarkDib;
  content.font = form.Font;
  return content;
}

void ApplyContentToForm(TMainForm& form, SettingsFileContent&& content) {
  QListWidget* list = form.sources.ListBox1;
  list->clear();
  for (const std::string& source : content.sources) AppendSourceEntry(list, PathText(source));
  form.text.RandEd->SetValue(content.text_margin);
  form.picture.RandEd2->SetValue(content.picture_margin);
  QStringList lines;
  for (const std::string& line : content.text_lines) lines << QString::fromStdString(line);
  form.text.Memo1->setPlainText(lines.join(QLatin1Char('\n')));
  AssignRadio(form.text.AddTextCheck, content.text_on);
  AssignRadio(form.text.AddNoTextCheck, content.text_off);
  AssignRadio(form.picture.AddPicCheck, content.picture_on);
  AssignRadio(form.picture.NoPicChecked, content.picture_off);
  form.text.TrackBar1->setValue(content.text_transparency);
  form.picture.TrackBar2->setValue(content.picture_transparency);
  form.text.Position1->setCurrentIndex(content.text_position);
  form.picture.Position2->setCurrentIndex(content.picture_position);
  form.process.jpeged->SetValue(content.jpeg_quality);
  form.process.OutDirEd->setText(QString::fromStdString(content.out_dir));
  form.OpenDialog1Dir = PathText(content.sources_dialog_dir);
  form.OpenDialog2Dir = PathText(content.picture_dialog_dir);
  form.OpenDialog3Dir = PathText(content.open_settings_dialog_dir);
  form.SaveDialog1Dir = PathText(content.save_settings_dialog_dir);
  // The window owns its picture watermark: release the old one first.
  deldib(&form.WatermarkDib);
  form.WatermarkDib = content.watermark;
  content.watermark = TDibImage{};
  if (content.font) form.Font = *content.font;
  form.picture.PaintBox2->update();
}

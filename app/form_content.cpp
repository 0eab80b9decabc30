#include "form_content.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVariant>

#include "main_form.h"
#include "page_controls.h"
#include "paint_box.h"
#include "rx_spin_edit.h"

namespace {

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// A list entry shows its path as text; a name whose bytes are not UTF-8
// cannot come back from that text, so the entry also carries the bytes as
// stored, and those are what the run opens and a settings file keeps.
constexpr int kStoredPathRole = Qt::UserRole + 1;

void AppendStoredSource(QListWidget* list, const std::string& stored) {
  const QString shown = PathText(stored);
  AppendSourceEntry(list, shown);
  if (PathBytes(shown) != stored)
    list->item(list->count() - 1)->setData(kStoredPathRole, QByteArray::fromStdString(stored));
}

std::string SourceBytes(const QListWidgetItem* item) {
  const QVariant stored = item->data(kStoredPathRole);
  return stored.isValid() ? stored.toByteArray().toStdString() : PathBytes(item->text());
}

// The memo shows every line break as one of its own paragraph ends: CR LF,
// LF and CR all come back from it as LF (and a no-break space as a plain
// one). So the text as it was stored rides along on the memo, with what the
// memo showed for it: a job opened and saved again keeps its text byte for
// byte while the text is not edited. An edited text is stored with CR LF,
// the file's own separator; a break at its end stays a break.
constexpr char kStoredTextProperty[] = "stemporaStoredText";
constexpr char kShownTextProperty[] = "stemporaShownText";

void SetMemoText(QPlainTextEdit* memo, const std::string& text) {
  memo->setPlainText(QString::fromStdString(text));
  memo->setProperty(kStoredTextProperty, QByteArray::fromStdString(text));
  memo->setProperty(kShownTextProperty, memo->toPlainText());
}

std::string MemoText(const QPlainTextEdit* memo) {
  const QString shown = memo->toPlainText();
  const QVariant stored = memo->property(kStoredTextProperty);
  if (stored.isValid() && memo->property(kShownTextProperty).toString() == shown)
    return stored.toByteArray().toStdString();
  QString text = shown;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text.toStdString();
}

}  // namespace

SettingsFileContent ContentFromForm(const TMainForm& form) {
  SettingsFileContent content;
  const QListWidget* list = form.sources.ListBox1;
  content.sources.reserve(size_t(list->count()));
  for (int i = 0; i < list->count(); ++i) content.sources.push_back(SourceBytes(list->item(i)));
  content.sources_folder = form.SourcesFolder;
  content.text_margin = form.text.RandEd->Value();
  content.picture_margin = form.picture.RandEd2->Value();
  content.text = MemoText(form.text.Memo1);
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
  content.options = form.Options;
  return content;
}

void ApplyContentToForm(TMainForm& form, SettingsFileContent&& content) {
  QListWidget* list = form.sources.ListBox1;
  list->clear();
  for (const std::string& source : content.sources) AppendStoredSource(list, source);
  form.SourcesFolder = content.sources_folder;
  form.text.RandEd->SetValue(content.text_margin);
  form.picture.RandEd2->SetValue(content.picture_margin);
  SetMemoText(form.text.Memo1, content.text);
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
  form.Options = content.options;
  form.picture.PaintBox2->update();
}

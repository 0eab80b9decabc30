// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/control_bindings.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVariant>
#include <string>
#include <utility>
#include <vector>

#include "main_form.h"
#include "pages/page_controls.h"
#include "widgets/paint_box.h"
#include "widgets/rx_spin_edit.h"

namespace {

// A control of the window, found anew in whichever window is at hand.
template <class Widget>
using ControlOf = Widget* (*)(const TMainForm&);
#define CONTROL(path) +[](const TMainForm& form) { return form.path; }

template <class T>
using ContentField = T SettingsFileContent::*;

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// A control's stored property: Value is the type it is written as. The key
// is component name, "_", property name; null for a control the store does
// not keep, which then gets no store conversions.
template <class Value, class Read, class Assign>
void BindStored(ControlBinding& binding, const char* key, Read read, Assign assign) {
  if (key == nullptr) return;
  binding.to_stored = [key, read](const TMainForm& form, StoredFormValues& values) {
    values.properties.push_back({key, StoredValue(std::in_place_type<Value>, read(form))});
  };
  binding.from_stored = [key, assign](TMainForm& form, const StoredFormValues& values) {
    if (const StoredValue* value = values.Find(key)) assign(form, std::get<Value>(*value));
  };
}

// A spin edit's value. An integer field takes it truncated toward zero; the
// store keeps it as the floating-point number the edit holds.
template <class Field>
ControlBinding SpinValue(ControlOf<TRxSpinEdit> control, ContentField<Field> field, const char* key) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = Field(control(form)->Value());
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    control(form)->SetValue(content.*field);
  };
  BindStored<double>(
      binding, key, [=](const TMainForm& form) { return control(form)->Value(); },
      [=](TMainForm& form, double value) { control(form)->SetValue(value); });
  return binding;
}

// A track bar's position; the bar holds an assigned one to its range.
ControlBinding BarPosition(ControlOf<QSlider> control, ContentField<int> field, const char* key) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = control(form)->value();
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    control(form)->setValue(content.*field);
  };
  BindStored<int32_t>(
      binding, key, [=](const TMainForm& form) { return int32_t(control(form)->value()); },
      [=](TMainForm& form, int32_t value) { control(form)->setValue(value); });
  return binding;
}

// A drop-down list: a settings file keeps the item index (-1: none), the
// store the selected item's text. A stored text selects the entry with
// exactly that text; without one the list keeps its selection.
ControlBinding ListItem(ControlOf<QComboBox> control, ContentField<int> field, const char* key) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = control(form)->currentIndex();
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    control(form)->setCurrentIndex(content.*field);
  };
  BindStored<std::string>(
      binding, key, [=](const TMainForm& form) { return control(form)->currentText().toStdString(); },
      [=](TMainForm& form, const std::string& text) {
        QComboBox* list = control(form);
        const int index =
            list->findText(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) list->setCurrentIndex(index);
      });
  return binding;
}

// One button of a radio pair. Selecting it deselects its partner; a
// deselection touches only the button itself. The store assigns only a
// change, so an unchanged state touches neither button.
ControlBinding RadioChecked(ControlOf<QRadioButton> control, ContentField<bool> field, const char* key) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = control(form)->isChecked();
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    AssignRadio(control(form), content.*field);
  };
  BindStored<bool>(
      binding, key, [=](const TMainForm& form) { return control(form)->isChecked(); },
      [=](TMainForm& form, bool checked) {
        if (checked != control(form)->isChecked()) AssignRadio(control(form), checked);
      });
  return binding;
}

// A one-line edit's text.
ControlBinding LineText(ControlOf<QLineEdit> control, ContentField<std::string> field, const char* key) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = control(form)->text().toStdString();
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    control(form)->setText(QString::fromStdString(content.*field));
  };
  BindStored<std::string>(
      binding, key, [=](const TMainForm& form) { return control(form)->text().toStdString(); },
      [=](TMainForm& form, const std::string& text) {
        control(form)->setText(QString::fromStdString(text));
      });
  return binding;
}

// The memo shows every line break as one of its own paragraph ends: CR LF,
// LF and CR all come back from it as LF (and a no-break space as a plain
// one). So the text as a settings file stored it rides along on the memo,
// with what the memo showed for it: a job opened and saved again keeps its
// text byte for byte while the text is not edited. An edited text reads
// with CR LF, the settings file's own separator; a break at its end stays a
// break. Both stores read the memo through ReadMemoText; the store's lines
// are its text split by the one line-break rule, which gives exactly the
// lines the memo shows.
constexpr char kStoredTextProperty[] = "stemporaStoredText";
constexpr char kShownTextProperty[] = "stemporaShownText";

std::string ReadMemoText(const QPlainTextEdit* memo) {
  const QString shown = memo->toPlainText();
  const QVariant stored = memo->property(kStoredTextProperty);
  if (stored.isValid() && memo->property(kShownTextProperty).toString() == shown)
    return stored.toByteArray().toStdString();
  QString text = shown;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text.toStdString();
}

void AssignStoredMemoText(QPlainTextEdit* memo, const std::string& text) {
  memo->setPlainText(QString::fromStdString(text));
  memo->setProperty(kStoredTextProperty, QByteArray::fromStdString(text));
  memo->setProperty(kShownTextProperty, memo->toPlainText());
}

ControlBinding MemoText(ControlOf<QPlainTextEdit> control, ContentField<std::string> field, const char* key) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = ReadMemoText(control(form));
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    AssignStoredMemoText(control(form), content.*field);
  };
  // Lines restored from the store are shown as if typed. A text the memo
  // already holds, as it reads or as it shows, is left alone: nothing
  // changes and no change is signalled.
  BindStored<StoredLines>(
      binding, key, [=](const TMainForm& form) { return StoredLines{ReadMemoText(control(form))}; },
      [=](TMainForm& form, const StoredLines& lines) {
        QPlainTextEdit* memo = control(form);
        const QString text = QString::fromStdString(lines.text);
        if (lines.text != ReadMemoText(memo) && text != memo->toPlainText()) memo->setPlainText(text);
      });
  return binding;
}

// A list entry shows its path as text; a name whose bytes are not UTF-8
// cannot come back from that text, so the entry also carries the bytes as
// stored, and those are what the run opens and a settings file keeps.
constexpr int kStoredPathRole = Qt::UserRole + 1;

ControlBinding SourceList(ControlOf<QListWidget> control, ContentField<std::vector<std::string>> field) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    const QListWidget* list = control(form);
    std::vector<std::string>& sources = content.*field;
    sources.clear();
    sources.reserve(size_t(list->count()));
    for (int i = 0; i < list->count(); ++i) {
      const QVariant stored = list->item(i)->data(kStoredPathRole);
      sources.push_back(stored.isValid() ? stored.toByteArray().toStdString()
                                         : PathBytes(list->item(i)->text()));
    }
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    QListWidget* list = control(form);
    list->clear();
    for (const std::string& stored : content.*field) {
      const QString shown = PathText(stored);
      AppendSourceEntry(list, shown);
      if (PathBytes(shown) != stored)
        list->item(list->count() - 1)->setData(kStoredPathRole, QByteArray::fromStdString(stored));
    }
  };
  return binding;
}

// A file dialog's start folder, kept as the bytes of its path.
ControlBinding DialogFolder(QString TMainForm::*folder, ContentField<std::string> field) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = PathBytes(form.*folder);
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    form.*folder = PathText(content.*field);
  };
  return binding;
}

// FontDialog1's font. A settings file without a font record leaves the
// window's font.
ControlBinding DialogFont(TextFont TMainForm::*font, ContentField<std::optional<TextFont>> field,
                          const char* key) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = form.*font;
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    if (content.*field) form.*font = *(content.*field);
  };
  BindStored<TextFont>(
      binding, key, [=](const TMainForm& form) { return form.*font; },
      [=](TMainForm& form, const TextFont& value) { form.*font = value; });
  return binding;
}

// The picture watermark: with the option that keeps the alpha channel on,
// the picture as loaded, else the one composed over white. The content
// shares the window's record; assigned, the window takes the content's
// record over and releases its own first. The store keeps where the
// picture came from and loads it from there again (after the radio
// buttons, which a failed load changes).
ControlBinding Watermark(ContentField<TDibImage> field) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    const bool alpha = form.Options.picture.keep_alpha && form.WatermarkAlpha.Bits != nullptr;
    content.*field = alpha ? form.WatermarkAlpha : form.WatermarkDib;
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    form.AdoptWatermark(std::exchange(content.*field, TDibImage{}));
  };
  binding.to_stored = [](const TMainForm& form, StoredFormValues& values) {
    values.watermark_origin = form.WatermarkDibOrigin;
  };
  binding.from_stored = [](TMainForm& form, const StoredFormValues& values) {
    form.LoadWatermarkAgain(values.watermark_origin);
  };
  return binding;
}

// A value the window holds itself, copied as it is: the options, which
// the store keeps in a section of their own, and the folder relative
// sources are opened from, which no file keeps.
template <class T>
ControlBinding FormValue(T TMainForm::*member, ContentField<T> field) {
  ControlBinding binding;
  binding.to_content = [=](const TMainForm& form, SettingsFileContent& content) {
    content.*field = form.*member;
  };
  binding.from_content = [=](TMainForm& form, SettingsFileContent& content) {
    form.*member = content.*field;
  };
  return binding;
}

ControlBinding OptionsValue() {
  ControlBinding binding = FormValue(&TMainForm::Options, &SettingsFileContent::options);
  binding.to_stored = [](const TMainForm& form, StoredFormValues& values) { values.options = form.Options; };
  binding.from_stored = [](TMainForm& form, const StoredFormValues& values) {
    form.Options = values.options;
  };
  return binding;
}

using C = SettingsFileContent;

std::vector<ControlBinding> MakeControlBindings() {
  return {
      // The form-state store's properties, in the order it writes them.
      DialogFont(&TMainForm::Font, &C::font, "FontDialog1_Font"),
      MemoText(CONTROL(text.Memo1), &C::text, "Memo1_Lines"),
      SpinValue(CONTROL(text.RandEd), &C::text_margin, "RandEd_Value"),
      SpinValue(CONTROL(picture.RandEd2), &C::picture_margin, "RandEd2_Value"),
      ListItem(CONTROL(text.Position1), &C::text_position, "Position1_Text"),
      ListItem(CONTROL(picture.Position2), &C::picture_position, "Position2_Text"),
      BarPosition(CONTROL(text.TrackBar1), &C::text_transparency, "TrackBar1_Position"),
      BarPosition(CONTROL(picture.TrackBar2), &C::picture_transparency, "TrackBar2_Position"),
      SpinValue(CONTROL(process.jpeged), &C::jpeg_quality, "jpeged_Value"),
      RadioChecked(CONTROL(text.AddTextCheck), &C::text_on, "AddTextCheck_Checked"),
      RadioChecked(CONTROL(picture.AddPicCheck), &C::picture_on, "AddPicCheck_Checked"),
      // Written after every property of the window's section.
      OptionsValue(),
      // Only a settings file keeps these (of the picture watermark, the
      // store keeps where it came from).
      RadioChecked(CONTROL(text.AddNoTextCheck), &C::text_off, nullptr),
      RadioChecked(CONTROL(picture.NoPicChecked), &C::picture_off, nullptr),
      LineText(CONTROL(process.OutDirEd), &C::out_dir, nullptr),
      SourceList(CONTROL(sources.ListBox1), &C::sources),
      FormValue(&TMainForm::SourcesFolder, &C::sources_folder),
      DialogFolder(&TMainForm::OpenDialog1Dir, &C::sources_dialog_dir),
      DialogFolder(&TMainForm::OpenDialog2Dir, &C::picture_dialog_dir),
      DialogFolder(&TMainForm::OpenDialog3Dir, &C::open_settings_dialog_dir),
      DialogFolder(&TMainForm::SaveDialog1Dir, &C::save_settings_dialog_dir),
      Watermark(&C::watermark),
  };
}

#undef CONTROL

}  // namespace

std::span<const ControlBinding> ControlBindings() {
  static const std::vector<ControlBinding> bindings = MakeControlBindings();
  return bindings;
}

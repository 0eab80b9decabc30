// SPDX-License-Identifier: GPL-3.0-or-later
// "Erweitert..." on the text and picture pages, "Ausgabe..." and "Vorschau..." on the last
// page, and keeping an open preview up to date with every setting.
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <tuple>

#include "dialogs/export_dialog.h"
#include "dialogs/font_dialog.h"
#include "dialogs/options_dialogs.h"
#include "dialogs/preview_window.h"
#include "main_form.h"
#include "run/output_path.h"
#include "run/output_plan.h"
#include "state/form_content.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/glyphs.h"
#include "widgets/rx_spin_edit.h"

void TMainForm::TextOptionsBtnClick() {
  TTextOptionsDialog dialog(Options.text, this, Font.color);
  if (dialog.exec() != QDialog::Accepted) return;
  Options.text = dialog.value();
  SettingsChanged();
}

void TMainForm::PictureOptionsBtnClick() {
  TPictureOptionsDialog dialog(Options.picture, this);
  if (dialog.exec() != QDialog::Accepted) return;
  Options.picture = dialog.value();
  SettingsChanged();
}

void TMainForm::OutputOptionsBtnClick() {
  TExportDialog dialog(Options.output, this);
  if (dialog.exec() != QDialog::Accepted) return;
  Options.output = dialog.value();
  SettingsChanged();
}

void TMainForm::PreviewBtnClick() {
  if (preview_ == nullptr) {
    // Each render reads the controls as they are at that moment, as the
    // start button would, and works on copies.
    preview_ = new TPreviewForm(
        [this](int index) {
          PreviewRequest request;
          SettingsFileContent content = ContentFromForm(*this);
          request.watermark = CopyWatermark(content.watermark);
          content.watermark = request.watermark ? request.watermark->dib : TDibImage{};
          request.job = JobFromSettings(content);
          // The job points at the content's record, a local here: the
          // render works on the copy it keeps alive.
          request.job.watermark = request.watermark ? &request.watermark->dib : nullptr;
          if (index >= 0 && size_t(index) < content.sources.size())
            request.source = OpenedSourcePath(content.sources[size_t(index)], content.sources_folder);
          request.list_position = index + 1;
          return request;
        },
        this);
  }
  preview_->show();
  preview_->raise();
  preview_->activateWindow();
  SettingsChanged();
}

void TMainForm::SettingsChanged() {
  ShowChosenSettings();
  if (preview_ == nullptr || !preview_->isVisible()) return;
  QStringList listed;
  for (int i = 0; i < sources.ListBox1->count(); ++i) listed << sources.ListBox1->item(i)->text();
  const int selected = sources.ListBox1->currentRow();
  preview_->SetSources(listed, selected >= 0 ? selected : 0);
}

namespace {

// A button whose dialog holds an option that is on shows the check glyph
// and a bold caption.
void MarkOptionsButton(TBitBtnXP* button, bool any_on) {
  constexpr char kMarked[] = "stemporaOptionsOn";
  const QVariant marked = button->property(kMarked);
  if (marked.isValid() && marked.toBool() == any_on) return;
  button->setProperty(kMarked, any_on);
  button->SetGlyph(any_on ? MakeGlyph(GlyphId::kAll) : QIcon());
  QFont font = button->font();
  font.setBold(any_on);
  button->setFont(font);
  button->setToolTip(any_on ? QStringLiteral("Mindestens eine erweiterte Einstellung ist eingeschaltet.")
                            : QString());
}

bool SameTextFont(const TextFont& a, const TextFont& b) {
  auto fields = [](const TextFont& f) {
    return std::tie(f.name, f.charset, f.color, f.height, f.pitch, f.pixels_per_inch, f.size, f.style);
  };
  return fields(a) == fields(b);
}

}  // namespace

void TMainForm::ShowChosenSettings() {
  // Naming the face used asks fontconfig; every slider step comes here.
  if (!shown_font_ || !SameTextFont(*shown_font_, Font)) {
    text.FontInfo->setText(QStringLiteral("Schrift: ") + DescribeTextFont(Font));
    shown_font_ = Font;
  }
  MarkOptionsButton(text.TextOptionsBtn, Options.text.any());
  MarkOptionsButton(picture.PictureOptionsBtn, Options.picture.any());
  MarkOptionsButton(process.OutputOptionsBtn, Options.output.any());
  // With a target folder the outputs go there, and the subfolder name is
  // not used: its field takes no input meanwhile and keeps its text.
  process.GroupBox2->setEnabled(!WritesToTargetFolder(Options.output));
}

void TMainForm::ConnectSettingsChanged() {
  auto changed = [this] { SettingsChanged(); };
  auto& kept = settings_connections_;
  for (TRxSpinEdit* edit : {text.RandEd, picture.RandEd2})
    kept.push_back(connect(edit, &QDoubleSpinBox::valueChanged, this, changed));
  for (QComboBox* box : {text.Position1, picture.Position2})
    kept.push_back(connect(box, &QComboBox::currentIndexChanged, this, changed));
  for (QSlider* bar : {text.TrackBar1, picture.TrackBar2})
    kept.push_back(connect(bar, &QSlider::valueChanged, this, changed));
  for (QRadioButton* radio :
       {text.AddTextCheck, text.AddNoTextCheck, picture.AddPicCheck, picture.NoPicChecked})
    kept.push_back(connect(radio, &QRadioButton::toggled, this, changed));
  kept.push_back(connect(text.Memo1, &QPlainTextEdit::textChanged, this, changed));
  kept.push_back(connect(sources.ListBox1, &QListWidget::currentRowChanged, this, changed));
  const QAbstractItemModel* list = sources.ListBox1->model();
  kept.push_back(connect(list, &QAbstractItemModel::rowsInserted, this, changed));
  kept.push_back(connect(list, &QAbstractItemModel::rowsRemoved, this, changed));
  kept.push_back(connect(list, &QAbstractItemModel::modelReset, this, changed));
}

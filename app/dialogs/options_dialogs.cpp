// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/options_dialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QColor to_qcolor(int32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }
int32_t from_qcolor(const QColor& colour) {
  return int32_t(colour.red() | colour.green() << 8 | colour.blue() << 16);
}

QDoubleSpinBox* number(QWidget* parent, double low, double high, double value, const QString& suffix,
                       int decimals = 1) {
  auto* box = new QDoubleSpinBox(parent);
  // German numbers ("2,5 %") whatever the system's locale; files keep ".".
  box->setLocale(QLocale(QLocale::German, QLocale::Germany));
  box->setRange(low, high);
  box->setDecimals(decimals);
  box->setValue(value);
  box->setSuffix(suffix);
  return box;
}

QSpinBox* whole(QWidget* parent, int low, int high, int value, const QString& suffix) {
  auto* box = new QSpinBox(parent);
  box->setRange(low, high);
  box->setValue(value);
  box->setSuffix(suffix);
  return box;
}

void show_colour(QPushButton* button, int32_t colour) {
  QPixmap swatch(28, 14);
  swatch.fill(to_qcolor(colour));
  button->setIcon(QIcon(swatch));
  button->setText(QStringLiteral("Farbe..."));
}

// A button that shows its colour and lets the user pick another.
QPushButton* colour_button(QWidget* parent, int32_t* colour) {
  auto* button = new QPushButton(parent);
  auto paint = [button, colour] { show_colour(button, *colour); };
  paint();
  QObject::connect(button, &QPushButton::clicked, button, [button, colour, paint] {
    const QColor chosen = QColorDialog::getColor(to_qcolor(*colour), button, QStringLiteral("Farbe"));
    if (!chosen.isValid()) return;
    *colour = from_qcolor(chosen);
    paint();
  });
  return button;
}

TileControls tile_controls(QWidget* parent, const TileOptions& tile) {
  TileControls controls;
  controls.group = new QGroupBox(QStringLiteral("Über das ganze Bild wiederholen"), parent);
  controls.group->setCheckable(true);
  controls.group->setChecked(tile.enabled);
  auto* form = new QFormLayout(controls.group);
  controls.gap_x = number(controls.group, 0, 100000, tile.gap_x, QString());
  controls.gap_y = number(controls.group, 0, 100000, tile.gap_y, QString());
  controls.in_percent =
      new QCheckBox(QStringLiteral("Abstände in Prozent der Bildbreite und -höhe"), controls.group);
  controls.in_percent->setChecked(tile.gap_in_percent && !tile.gap_in_mark_percent);
  controls.in_mark_percent = new QCheckBox(
      QStringLiteral("Abstände in Prozent der Breite und Höhe des Wasserzeichens"), controls.group);
  controls.in_mark_percent->setChecked(tile.gap_in_mark_percent);
  auto show_unit = [controls] {
    const bool in_percent = controls.in_percent->isChecked() || controls.in_mark_percent->isChecked();
    for (QDoubleSpinBox* gap : {controls.gap_x, controls.gap_y})
      gap->setSuffix(in_percent ? QStringLiteral(" %") : QStringLiteral(" Pixel"));
  };
  show_unit();
  for (QCheckBox* unit : {controls.in_percent, controls.in_mark_percent})
    QObject::connect(unit, &QCheckBox::toggled, controls.group, [show_unit](bool) { show_unit(); });
  form->addRow(QStringLiteral("Abstand waagerecht:"), controls.gap_x);
  form->addRow(QStringLiteral("Abstand senkrecht:"), controls.gap_y);
  form->addRow(controls.in_percent);
  form->addRow(controls.in_mark_percent);
  // One unit at a time.
  QObject::connect(controls.in_percent, &QCheckBox::toggled, controls.in_mark_percent,
                   [other = controls.in_mark_percent](bool on) {
                     if (on) other->setChecked(false);
                   });
  QObject::connect(controls.in_mark_percent, &QCheckBox::toggled, controls.in_percent,
                   [other = controls.in_percent](bool on) {
                     if (on) other->setChecked(false);
                   });
  // Tiling switched on with no gaps set starts with half the mark's size
  // between marks; gaps already set, even 0 in a unit of their own, stay.
  QObject::connect(controls.group, &QGroupBox::toggled, controls.group, [controls](bool on) {
    if (!on || controls.gap_x->value() != 0 || controls.gap_y->value() != 0 ||
        controls.in_percent->isChecked() || controls.in_mark_percent->isChecked())
      return;
    controls.gap_x->setValue(kNewTileGapMarkPercent);
    controls.gap_y->setValue(kNewTileGapMarkPercent);
    controls.in_mark_percent->setChecked(true);
  });
  return controls;
}

TileOptions tile_value(const TileControls& controls) {
  TileOptions tile;
  tile.enabled = controls.group->isChecked();
  tile.gap_x = controls.gap_x->value();
  tile.gap_y = controls.gap_y->value();
  tile.gap_in_percent = controls.in_percent->isChecked();
  tile.gap_in_mark_percent = controls.in_mark_percent->isChecked();
  return tile;
}

// A field that only counts while its switch is on takes input only then;
// switched off, it keeps its value for when it is switched on again.
void enable_while_checked(QCheckBox* on, QWidget* field) {
  field->setEnabled(on->isChecked());
  QObject::connect(on, &QCheckBox::toggled, field, &QWidget::setEnabled);
}

void add_buttons(QDialog* dialog, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace

TTextOptionsDialog::TTextOptionsDialog(const TextOptions& options, QWidget* parent, int32_t text_colour)
    : QDialog(parent),
      outline_colour_(options.outline_color),
      shadow_colour_(options.shadow_color),
      text_colour_(text_colour) {
  setObjectName(QStringLiteral("TextOptionsDialog"));
  setWindowTitle(QStringLiteral("Text: erweiterte Einstellungen"));
  auto* layout = new QVBoxLayout(this);

  auto* size = new QGroupBox(QStringLiteral("Größe, Rand und Drehung"), this);
  auto* size_form = new QFormLayout(size);
  RelativeCheck = new QCheckBox(QStringLiteral("Zeichenhöhe in Prozent der Bildhöhe:"), size);
  RelativeCheck->setChecked(options.relative == RelativeTo::kImageHeight);
  RelativePercent = number(size, 0.1, 100, options.relative_percent, QStringLiteral(" %"));
  size_form->addRow(RelativeCheck, RelativePercent);
  enable_while_checked(RelativeCheck, RelativePercent);
  MarginPercentCheck = new QCheckBox(QStringLiteral("Rand in Prozent der kürzeren Bildseite:"), size);
  MarginPercentCheck->setChecked(options.margin_in_percent);
  MarginPercent = number(size, -100, 100, options.margin_percent, QStringLiteral(" %"));
  size_form->addRow(MarginPercentCheck, MarginPercent);
  enable_while_checked(MarginPercentCheck, MarginPercent);
  Angle = number(size, -360, 360, options.angle, QStringLiteral("°"));
  size_form->addRow(QStringLiteral("Drehen (gegen den Uhrzeigersinn):"), Angle);
  layout->addWidget(size);

  Tile = tile_controls(this, options.tile);
  layout->addWidget(Tile.group);

  OutlineGroup = new QGroupBox(QStringLiteral("Umriss"), this);
  OutlineGroup->setCheckable(true);
  OutlineGroup->setChecked(options.outline);
  auto* outline_form = new QFormLayout(OutlineGroup);
  OutlineWidth = whole(OutlineGroup, 0, kMaxOutlineWidth, options.outline_width, QStringLiteral(" Pixel"));
  OutlineColour = colour_button(OutlineGroup, &outline_colour_);
  outline_form->addRow(QStringLiteral("Breite:"), OutlineWidth);
  outline_form->addRow(QStringLiteral("Farbe:"), OutlineColour);
  layout->addWidget(OutlineGroup);

  ShadowGroup = new QGroupBox(QStringLiteral("Schatten"), this);
  ShadowGroup->setCheckable(true);
  ShadowGroup->setChecked(options.shadow);
  auto* shadow_form = new QFormLayout(ShadowGroup);
  ShadowDx =
      whole(ShadowGroup, -kMaxShadowOffset, kMaxShadowOffset, options.shadow_dx, QStringLiteral(" Pixel"));
  ShadowDy =
      whole(ShadowGroup, -kMaxShadowOffset, kMaxShadowOffset, options.shadow_dy, QStringLiteral(" Pixel"));
  ShadowBlur = whole(ShadowGroup, 0, kMaxShadowBlur, options.shadow_blur, QStringLiteral(" Pixel"));
  ShadowColour = colour_button(ShadowGroup, &shadow_colour_);
  ShadowTransparency = whole(ShadowGroup, 0, 100, options.shadow_transparency, QStringLiteral(" %"));
  shadow_form->addRow(QStringLiteral("Versatz waagerecht:"), ShadowDx);
  shadow_form->addRow(QStringLiteral("Versatz senkrecht:"), ShadowDy);
  shadow_form->addRow(QStringLiteral("Weichzeichnen:"), ShadowBlur);
  shadow_form->addRow(QStringLiteral("Farbe:"), ShadowColour);
  shadow_form->addRow(QStringLiteral("Transparenz:"), ShadowTransparency);
  layout->addWidget(ShadowGroup);

  SmoothCheck = new QCheckBox(QStringLiteral("Glatte Kanten (Kantenglättung)"), this);
  SmoothCheck->setChecked(options.smooth);
  layout->addWidget(SmoothCheck);
  VariablesCheck = new QCheckBox(QStringLiteral("Platzhalter im Text ersetzen"), this);
  VariablesCheck->setChecked(options.variables);
  layout->addWidget(VariablesCheck);
  auto* help = new QLabel(
      QStringLiteral("{Datei} {Dateiname} {Ordner} {Datum} {Uhrzeit} {Jahr} {Breite} {Hoehe} {Kamera} {Nr}; "
                     "{{ und }} schreiben Klammern."),
      this);
  help->setWordWrap(true);
  layout->addWidget(help);
  RecommendedBtn = new QPushButton(QStringLiteral("Empfohlene Einstellungen"), this);
  RecommendedBtn->setObjectName(QStringLiteral("RecommendedBtn"));
  connect(RecommendedBtn, &QPushButton::clicked, this, &TTextOptionsDialog::ApplyRecommended);
  layout->addWidget(RecommendedBtn, 0, Qt::AlignLeft);
  add_buttons(this, layout);
}

void TTextOptionsDialog::ApplyRecommended() {
  // Legible on any photo at any size: letters 4 % of the image high with
  // smooth edges, ringed by 2 pixels of the colour that stands out most
  // against the text's own.
  RelativeCheck->setChecked(true);
  RelativePercent->setValue(4);
  SmoothCheck->setChecked(true);
  OutlineGroup->setChecked(true);
  OutlineWidth->setValue(2);
  outline_colour_ = ContrastingColour(text_colour_);
  show_colour(OutlineColour, outline_colour_);
}

int32_t ContrastingColour(int32_t colour) {
  // The window-text reference stands for a dark colour. Brightness as the
  // eye weighs red, green and blue.
  const QColor shown = colour < 0 ? QColor(Qt::black) : to_qcolor(colour);
  const int brightness = (shown.red() * 299 + shown.green() * 587 + shown.blue() * 114) / 1000;
  return brightness < 128 ? 0xFFFFFF : 0x000000;
}

TextOptions TTextOptionsDialog::value() const {
  TextOptions options;
  options.relative = RelativeCheck->isChecked() ? RelativeTo::kImageHeight : RelativeTo::kNone;
  options.relative_percent = RelativePercent->value();
  options.margin_in_percent = MarginPercentCheck->isChecked();
  options.margin_percent = MarginPercent->value();
  options.angle = Angle->value();
  options.tile = tile_value(Tile);
  options.outline = OutlineGroup->isChecked();
  options.outline_width = OutlineWidth->value();
  options.outline_color = outline_colour_;
  options.shadow = ShadowGroup->isChecked();
  options.shadow_dx = ShadowDx->value();
  options.shadow_dy = ShadowDy->value();
  options.shadow_blur = ShadowBlur->value();
  options.shadow_color = shadow_colour_;
  options.shadow_transparency = ShadowTransparency->value();
  options.smooth = SmoothCheck->isChecked();
  options.variables = VariablesCheck->isChecked();
  return options;
}

TPictureOptionsDialog::TPictureOptionsDialog(const PictureOptions& options, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("PictureOptionsDialog"));
  setWindowTitle(QStringLiteral("Bild: erweiterte Einstellungen"));
  auto* layout = new QVBoxLayout(this);

  AlphaCheck = new QCheckBox(QStringLiteral("Transparenz des Bildes (Alphakanal) beachten"), this);
  AlphaCheck->setChecked(options.keep_alpha);
  layout->addWidget(AlphaCheck);

  auto* size = new QGroupBox(QStringLiteral("Größe, Rand und Drehung"), this);
  auto* size_form = new QFormLayout(size);
  RelativeBox = new QComboBox(size);
  RelativeBox->addItems({QStringLiteral("Eigene Größe bzw. Platzierung"),
                         QStringLiteral("Prozent der Bildbreite"),
                         QStringLiteral("Prozent der kürzeren Bildseite")});
  RelativeBox->setCurrentIndex(options.relative == RelativeTo::kImageWidth    ? 1
                               : options.relative == RelativeTo::kShorterSide ? 2
                                                                              : 0);
  RelativePercent = number(size, 0.1, 1000, options.relative_percent, QStringLiteral(" %"));
  size_form->addRow(QStringLiteral("Breite:"), RelativeBox);
  size_form->addRow(QString(), RelativePercent);
  // The percent sizes the picture only relative to the image; at its own
  // size it is not used.
  auto relative_applies = [this] { RelativePercent->setEnabled(RelativeBox->currentIndex() != 0); };
  relative_applies();
  connect(RelativeBox, &QComboBox::currentIndexChanged, this, relative_applies);
  MarginPercentCheck = new QCheckBox(QStringLiteral("Rand in Prozent der kürzeren Bildseite:"), size);
  MarginPercentCheck->setChecked(options.margin_in_percent);
  MarginPercent = number(size, -100, 100, options.margin_percent, QStringLiteral(" %"));
  size_form->addRow(MarginPercentCheck, MarginPercent);
  enable_while_checked(MarginPercentCheck, MarginPercent);
  Angle = number(size, -360, 360, options.angle, QStringLiteral("°"));
  size_form->addRow(QStringLiteral("Drehen (gegen den Uhrzeigersinn):"), Angle);
  layout->addWidget(size);

  Tile = tile_controls(this, options.tile);
  layout->addWidget(Tile.group);
  add_buttons(this, layout);
}

PictureOptions TPictureOptionsDialog::value() const {
  PictureOptions options;
  options.keep_alpha = AlphaCheck->isChecked();
  const int relative = RelativeBox->currentIndex();
  options.relative = relative == 1   ? RelativeTo::kImageWidth
                     : relative == 2 ? RelativeTo::kShorterSide
                                     : RelativeTo::kNone;
  options.relative_percent = RelativePercent->value();
  options.margin_in_percent = MarginPercentCheck->isChecked();
  options.margin_percent = MarginPercent->value();
  options.angle = Angle->value();
  options.tile = tile_value(Tile);
  return options;
}

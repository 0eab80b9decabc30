// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/font_dialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "dialogs/options_dialogs.h"
#include "settings/font_size.h"

namespace {

const char* const kColourNames[16] = {
    "Schwarz", "Kastanienbraun", "Grün", "Olivgrün", "Marineblau", "Violett",   "Petrol", "Grau", "Silber",
    "Rot",     "Hellgrün",       "Gelb", "Blau",     "Fuchsia",    "Aquamarin", "Weiß",
};

QColor QtColourOf(int32_t colour) {
  if (colour == kWindowTextColour) return QPalette().color(QPalette::WindowText);
  const uint32_t value = uint32_t(colour);
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QIcon Swatch(const QColor& colour) {
  QPixmap pixmap(16, 12);
  pixmap.fill(colour);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 15, 11);
  return QIcon(pixmap);
}

// Qt's font dialog finds its style by name. A font asked for by weight
// and slant alone names none, and the dialog fell on the first style of
// its list, "Oblique" for DejaVu Sans. Named here: the face's style of
// that slant whose weight comes nearest, the shortest name among equals
// ("Book" before "Condensed"). A face this system lacks is looked up as
// the face that stands in for it.
QString StyleNameOf(const QFont& font) {
  const QString family = QFontInfo(font).family();
  const int wanted = font.bold() ? QFont::Bold : QFont::Normal;
  QString best;
  int best_score = 0;
  for (const QString& style : QFontDatabase::styles(family)) {
    if (QFontDatabase::italic(family, style) != font.italic()) continue;
    const int score = std::abs(QFontDatabase::weight(family, style) - wanted) * 100 + int(style.size());
    if (best.isEmpty() || score < best_score) {
      best = style;
      best_score = score;
    }
  }
  return best;
}

// The dialog's sample in the chosen colour, on a background it stands out
// from.
void ShowSampleColour(QFontDialog* fonts, int32_t colour) {
  auto* sample = fonts->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
  if (sample == nullptr) return;
  QPalette palette = sample->palette();
  palette.setColor(QPalette::Text, QtColourOf(colour));
  palette.setColor(QPalette::Base, QtColourOf(ContrastingColour(colour)));
  sample->setPalette(palette);
}

}  // namespace

QFont DialogFontOf(const TextFont& font) {
  QFont qt_font(QString::fromStdString(font.name));
  const int32_t size = font.size > 0 ? font.size : FontSizeFromHeight(font.height, font.pixels_per_inch);
  if (size > 0) qt_font.setPointSize(size);
  qt_font.setBold(font.style & kFontBold);
  qt_font.setItalic(font.style & kFontItalic);
  qt_font.setUnderline(font.style & kFontUnderline);
  qt_font.setStrikeOut(font.style & kFontStrikeOut);
  return qt_font;
}

TextFont FontFromDialogChoice(const TextFont& current, const QFont& chosen, int32_t colour) {
  TextFont font = current;
  font.name = chosen.family().toStdString();
  uint8_t style = 0;
  if (chosen.bold()) style |= kFontBold;
  if (chosen.italic()) style |= kFontItalic;
  if (chosen.underline()) style |= kFontUnderline;
  if (chosen.strikeOut()) style |= kFontStrikeOut;
  font.style = style;
  // Sizes are whole points, as the platform's font dialog offers them.
  const double points = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : double(current.size);
  font.size = int32_t(std::lround(points));
  font.height = FontHeightFromSize(font.size, font.pixels_per_inch);
  font.pitch = QFontDatabase::isFixedPitch(chosen.family()) ? kPitchFixed : kPitchVariable;
  font.color = colour;
  return font;
}

TFontDialog::TFontDialog(const TextFont& font, QWidget* parent) : QDialog(parent), initial_(font) {
  setWindowTitle(QStringLiteral("Schriftart"));
  auto* layout = new QVBoxLayout(this);

  fonts_ = new QFontDialog(this);
  fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  fonts_->setWindowFlags(Qt::Widget);
  fonts_->setSizeGripEnabled(false);  // the outer dialog has the window's edge
  QFont start = DialogFontOf(font);
  start.setStyleName(StyleNameOf(start));
  fonts_->setCurrentFont(start);
  fonts_->installEventFilter(this);
  shown_family_ = fonts_->currentFont().family();
  layout->addWidget(fonts_);

  auto* colour_row = new QHBoxLayout();
  auto* label = new QLabel(QStringLiteral("&Farbe:"), this);
  colours_ = new QComboBox(this);
  colours_->setObjectName(QStringLiteral("ColourList"));
  label->setBuddy(colours_);
  // A colour that is none of the sixteen (the window-text reference at
  // the start) stays selectable as it is.
  bool standard = false;
  for (int32_t colour : kStandardColours) standard = standard || colour == font.color;
  if (!standard) {
    const QString name =
        font.color == kWindowTextColour ? QStringLiteral("Fenstertext") : QStringLiteral("Benutzerdefiniert");
    colours_->addItem(Swatch(QtColourOf(font.color)), name, QVariant(font.color));
  }
  for (int i = 0; i < 16; ++i)
    colours_->addItem(Swatch(QtColourOf(kStandardColours[i])), QString::fromUtf8(kColourNames[i]),
                      QVariant(kStandardColours[i]));
  colours_->setCurrentIndex(colours_->findData(QVariant(font.color)));
  AddCustomColourChoice();
  ShowSampleColour(fonts_, font.color);
  connect(colours_, &QComboBox::currentIndexChanged, this, [this] {
    const QVariant colour = colours_->currentData();
    if (colour.isValid()) ShowSampleColour(fonts_, colour.toInt());
  });
  colour_row->addWidget(label);
  colour_row->addWidget(colours_, 1);
  colour_row->addStretch(1);
  layout->addLayout(colour_row);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

bool TFontDialog::eventFilter(QObject* watched, QEvent* event) {
  // The embedded font dialog is a dialog of its own: Escape in one of its
  // lists would close it alone and leave this one empty. Escape cancels
  // the whole choice, as "Abbrechen" does.
  if (watched == fonts_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    reject();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TFontDialog::AddCustomColourChoice() {
  // Last in the list, without a colour of its own: it opens the colour
  // dialog that the outline and the shadow use, and the colour chosen
  // there becomes the list's "Benutzerdefiniert" entry (the first).
  QPixmap blank(16, 12);
  blank.fill(Qt::transparent);  // lines its text up with the named colours
  colours_->addItem(QIcon(blank), QStringLiteral("Benutzerdefiniert..."));
  int chosen_index = colours_->currentIndex();
  connect(colours_, &QComboBox::activated, this, [this, chosen_index](int index) mutable {
    if (index != colours_->count() - 1) {
      chosen_index = index;
      return;
    }
    const QColor start = QtColourOf(colours_->itemData(chosen_index).toInt());
    const QColor picked = QColorDialog::getColor(start, this, QStringLiteral("Farbe"));
    if (picked.isValid()) {
      const auto colour = int32_t(picked.red() | picked.green() << 8 | picked.blue() << 16);
      const QString name = QStringLiteral("Benutzerdefiniert");
      if (colours_->itemText(0) != name) colours_->insertItem(0, name);
      colours_->setItemIcon(0, Swatch(picked));
      colours_->setItemData(0, QVariant(colour));
      chosen_index = 0;
    } else if (chosen_index >= colours_->count() - 1) {
      chosen_index = 0;
    }
    colours_->setCurrentIndex(chosen_index);
  });
}

TextFont TFontDialog::Font() const {
  const QFont chosen = fonts_->currentFont();
  TextFont font = FontFromDialogChoice(initial_, chosen, colours_->currentData().toInt());
  // A face this system lacks is shown as its stand-in; left as it was, the
  // font keeps its own name, so the job stays the same on other systems.
  if (chosen.family() == shown_family_) {
    font.name = initial_.name;
    font.pitch = initial_.pitch;
  }
  return font;
}

std::optional<TextFont> ChooseTextFont(QWidget* parent, const TextFont& font) {
  TFontDialog dialog(font, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Font();
}

namespace {

QString ColourName(int32_t colour) {
  if (colour == kWindowTextColour) return QStringLiteral("Fenstertext");
  for (int i = 0; i < 16; ++i)
    if (kStandardColours[i] == colour) return QString::fromUtf8(kColourNames[i]);
  return QStringLiteral("Benutzerdefiniert (%1)").arg(QtColourOf(colour).name());
}

}  // namespace

QString DescribeTextFont(const TextFont& font) {
  QString face = QString::fromStdString(font.name);
  const QString used = MakeTextQFont(font).family();
  if (!used.isEmpty() && used.compare(face, Qt::CaseInsensitive) != 0)
    face += QStringLiteral(" (hier: %1)").arg(used);
  QStringList parts{face};
  if (font.style & kFontBold) parts << QStringLiteral("fett");
  if (font.style & kFontItalic) parts << QStringLiteral("kursiv");
  if (font.style & kFontUnderline) parts << QStringLiteral("unterstrichen");
  if (font.style & kFontStrikeOut) parts << QStringLiteral("durchgestrichen");
  const int32_t size = font.size > 0 ? font.size : FontSizeFromHeight(font.height, font.pixels_per_inch);
  parts << QStringLiteral("%1 pt").arg(size);
  parts << ColourName(font.color);
  return parts.join(QStringLiteral(", "));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// FontDialog1: Qt's font dialog (face, size, bold, italic, underline,
// strike-out) with a colour choice of the sixteen standard colours and any
// other ("Benutzerdefiniert...") added, as the text watermark's font has a
// colour.
#pragma once

#include <QDialog>
#include <QFont>
#include <optional>

#include "run/text_font.h"

class QComboBox;
class QFontDialog;

// The sixteen standard colours as colour values (red in the low byte).
inline constexpr int32_t kStandardColours[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
// The system's window-text colour as a reference, not as a colour: the
// font keeps this value until another colour is chosen.
inline constexpr int32_t kWindowTextColour = int32_t(0x80000008u);

// The font the dialog's choice makes from the current one: face, style and
// size from the chosen Qt font (the height follows the size at the font's
// pixels per inch), the colour as chosen; the charset stays, the pitch
// follows the face.
TextFont FontFromDialogChoice(const TextFont& current, const QFont& chosen, int32_t colour);
// The Qt font the dialog starts with.
QFont DialogFontOf(const TextFont& font);

class TFontDialog : public QDialog {
  Q_OBJECT

 public:
  TFontDialog(const TextFont& font, QWidget* parent = nullptr);
  // The font as chosen so far.
  TextFont Font() const;
  QComboBox* ColourList() const { return colours_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddCustomColourChoice();

  TextFont initial_;
  QString shown_family_;
  QFontDialog* fonts_ = nullptr;
  QComboBox* colours_ = nullptr;
};

// Runs the dialog; nothing when the user cancels.
std::optional<TextFont> ChooseTextFont(QWidget* parent, const TextFont& font);

// The font in words, as the text page shows it: "DejaVu Sans, fett, 48 pt,
// Weiß"; a face this system lacks is followed by the one used instead,
// "Arial Black (hier: DejaVu Sans)". Needs a QGuiApplication.
QString DescribeTextFont(const TextFont& font);

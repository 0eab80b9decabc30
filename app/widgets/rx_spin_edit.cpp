// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/rx_spin_edit.h"

#include <cfenv>
#include <cmath>

TRxSpinEdit::TRxSpinEdit(QWidget* parent) : QDoubleSpinBox(parent) {
  // Numbers look the same under every locale: no group separators, "." as
  // the decimal point.
  QLocale c_locale = QLocale::c();
  c_locale.setNumberOptions(QLocale::OmitGroupSeparator);
  setLocale(c_locale);
  setDecimals(0);
  setSingleStep(1.0);
  setKeyboardTracking(false);
  ClearBounds();
  setValue(0.0);
}

void TRxSpinEdit::SetIntegerMode(bool integer_mode) {
  integer_mode_ = integer_mode;
  setDecimals(integer_mode ? 0 : 2);
  SetValue(value());
}

void TRxSpinEdit::SetBounds(double min, double max) {
  has_bounds_ = true;
  setRange(min, max);
}

void TRxSpinEdit::ClearBounds() {
  has_bounds_ = false;
  setRange(-kUnbounded, kUnbounded);
}

void TRxSpinEdit::SetValue(double value) {
  if (!std::isfinite(value)) return;
  if (integer_mode_) {
    // nearbyint follows the current rounding mode; round to nearest is the
    // default and gives halves to the even neighbour.
    const int saved_mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    value = std::nearbyint(value);
    std::fesetround(saved_mode);
  }
  // setValue limits to the range; rounding to decimals() is a no-op now.
  setValue(value);
}

QString TRxSpinEdit::textFromValue(double value) const { return locale().toString(value, 'f', decimals()); }

double TRxSpinEdit::valueFromText(const QString& text) const {
  bool ok = false;
  const double parsed = locale().toDouble(text.trimmed(), &ok);
  return ok ? parsed : value();
}

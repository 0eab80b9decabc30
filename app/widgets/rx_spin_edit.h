// SPDX-License-Identifier: GPL-3.0-or-later
// A numeric spin edit whose value is a floating-point number. In integer
// mode every assigned value is rounded to the nearest whole number, halves
// to the even neighbour (12.5 gives 12, 13.5 gives 14), as the settings
// files and the form-state store expect.
#pragma once

#include <QDoubleSpinBox>

class TRxSpinEdit : public QDoubleSpinBox {
  Q_OBJECT

 public:
  explicit TRxSpinEdit(QWidget* parent = nullptr);

  // Whole numbers only; the default.
  void SetIntegerMode(bool integer_mode);
  bool IntegerMode() const { return integer_mode_; }

  // Limits assigned and typed values to min..max. Without bounds the edit
  // still needs a range; kUnbounded keeps every integer a double holds
  // exactly, far beyond any picture's size.
  void SetBounds(double min, double max);
  void ClearBounds();
  bool HasBounds() const { return has_bounds_; }
  static constexpr double kUnbounded = 9007199254740992.0;  // 2^53

  // Rounds (integer mode), then limits to the bounds. A value that is not a
  // finite number is refused and leaves the edit unchanged.
  void SetValue(double value);
  double Value() const { return value(); }

  QString textFromValue(double value) const override;
  double valueFromText(const QString& text) const override;

 private:
  bool integer_mode_ = true;
  bool has_bounds_ = false;
};

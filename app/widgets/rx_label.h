// SPDX-License-Identifier: GPL-3.0-or-later
// A label whose text carries a one-pixel shadow in the button-highlight
// colour, offset up and to the left, which gives it an embossed look.
#pragma once

#include <QLabel>

class TRxLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TRxLabel(const QString& text, QWidget* parent = nullptr);

  // One pixel wider and higher than the plain text: the shadow sits in the
  // extra row and column, so it is never cut off at the label's edge.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

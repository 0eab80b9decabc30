// A label whose text carries a one-pixel shadow in the button-highlight
// colour, offset up and to the left, which gives it an embossed look.
#pragma once

#include <QLabel>

class TRxLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TRxLabel(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// TPaintBox: a control without a look of its own; its owner draws it in
// OnPaint whenever it needs painting.
#pragma once

#include <QWidget>
#include <functional>

class QPainter;

class TPaintBox : public QWidget {
  Q_OBJECT

 public:
  explicit TPaintBox(QWidget* parent = nullptr);
  std::function<void(QPainter&)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

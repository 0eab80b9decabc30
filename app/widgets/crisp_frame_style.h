// SPDX-License-Identifier: GPL-3.0-or-later
// The application's style with one repair: at a fractional scale
// (QT_SCALE_FACTOR=1.5, say) the plain frame of memos, lists and scroll
// boxes lost its top and left edges, whose one-pixel line fell less than
// half on the widget's own pixels. Here Fusion's frame is drawn one screen
// pixel wide on the widget's outermost pixels, in Fusion's colour. Every
// other element, every element at a whole-number scale and every element
// of another style is the style's own.
#pragma once

#include <QProxyStyle>

class TCrispFrameStyle : public QProxyStyle {
 public:
  // Wraps the style the application would use.
  TCrispFrameStyle();

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// TTrackBar: a slider whose tick marks sit right against its groove. The
// style centres the groove in the control and draws the ticks along the
// control's bottom edge, so on a bar taller than the style needs (the
// transparency bars are 45 pixels) the ticks hung some twenty pixels
// below the groove. Here the style draws and hit-tests in a band of the
// height it needs, centred in the control: the groove stays where it was
// and the ticks come up to it.
#pragma once

#include <QSlider>

class TTrackBar : public QSlider {
  Q_OBJECT

 public:
  explicit TTrackBar(Qt::Orientation orientation, QWidget* parent = nullptr);

 protected:
  void initStyleOption(QStyleOptionSlider* option) const override;
};

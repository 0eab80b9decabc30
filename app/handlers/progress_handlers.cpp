// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar's progress panel: the progress message and its two paint
// paths. A growing bar paints only its new strip over the old bar; a
// shrinking one repaints the whole status bar, which erases the old bar.
#include <QMetaObject>
#include <QPainter>
#include <QThread>

#include "main_form.h"

namespace {
const QColor kProgressColour(0, 0, 128);  // navy

void FillProgress(QPainter& painter, const TRect& filled) {
  const QRect area = ToQRect(filled);
  if (area.isEmpty()) return;
  // Brush and pen alike, so fill and outline give one navy block.
  painter.setPen(Qt::NoPen);
  painter.setBrush(kProgressColour);
  painter.drawRect(area);
}
}  // namespace

void TMainForm::WMUser(int32_t percent) {
  if (QThread::currentThread() == thread()) {
    SetProStatus(percent);
    return;
  }
  // A sent message runs on the window's thread while the sender waits.
  QMetaObject::invokeMethod(
      this, [this, percent] { SetProStatus(percent); }, Qt::BlockingQueuedConnection);
}

void TMainForm::SetProStatus(int32_t percent) {
  const int32_t previous = ProStatus;
  ProStatus = percent;
  if (percent < previous) {
    StatusBar1->repaint();
    return;
  }
  SBarPaintMore(previous);
}

void TMainForm::StatusBar1DrawPanel(QPainter& painter, const TRect& panel) {
  FillProgress(painter, ProgressFillRect(ProStatus, panel));
  ProPanelRect = panel;
}

void TMainForm::SBarPaintMore(int32_t previous_percent) {
  const TRect bar = ProgressFillRect(ProStatus, ProPanelRect);
  const TRect old_bar = ProgressFillRect(previous_percent, ProPanelRect);
  // Only the strip between the old and the new right edge changes.
  const TRect strip{old_bar.right, bar.top, bar.right, bar.bottom};
  StatusBar1->PaintOver(strip, [&](QPainter& painter) { FillProgress(painter, bar); });
}

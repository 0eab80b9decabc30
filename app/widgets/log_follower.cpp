// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/log_follower.h"

#include <QPlainTextEdit>
#include <QScrollBar>

LogFollower::LogFollower(QPlainTextEdit* memo) : QObject(memo), memo_(memo) {
  QScrollBar* bar = memo->verticalScrollBar();
  // The bar exists even while hidden: its range grows with every line (and
  // changes when the memo is laid out or resized), its value moves when
  // the user scrolls, by wheel, keys or the cursor.
  connect(bar, &QScrollBar::rangeChanged, this, [this] {
    if (following_) ScrollToEnd();
  });
  connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
    if (!scrolling_) following_ = value >= bar->maximum();
  });
}

void LogFollower::FollowFromHere() {
  following_ = true;
  ScrollToEnd();
}

void LogFollower::ScrollToEnd() {
  QScrollBar* bar = memo_->verticalScrollBar();
  scrolling_ = true;
  bar->setValue(bar->maximum());
  scrolling_ = false;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps a log memo showing its newest line. A memo follows its end only
// while that end is fully in view, and a memo whose height is not a whole
// number of lines, or that was scrolled up once, never follows again: a
// run's lines were appended out of view. This follower scrolls to each new
// line until the user scrolls away, and follows again once the user
// scrolls back to the end.
#pragma once

#include <QObject>

class QPlainTextEdit;

class LogFollower : public QObject {
 public:
  explicit LogFollower(QPlainTextEdit* memo);

  // Shows the end now and follows every new line from here on, wherever
  // the user had scrolled to before (a run's start).
  void FollowFromHere();
  bool Following() const { return following_; }

 private:
  void ScrollToEnd();

  QPlainTextEdit* memo_;
  bool following_ = true;
  bool scrolling_ = false;  // the follower's own scroll, not the user's
};

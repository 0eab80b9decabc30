// SPDX-License-Identifier: GPL-3.0-or-later
// A push button with a glyph and a kind. The kind sets the stock glyph,
// the default or cancel role and the modal result: a button with a modal
// result closes the modal dialog it sits in with that result.
#pragma once

#include <QPushButton>

enum class TBitBtnKind { kCustom, kOk, kCancel, kHelp, kYes, kNo, kClose, kAbort, kRetry, kIgnore, kAll };

// Results a dialog's exec() returns when one of these buttons closes it.
enum TModalResult {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
};

class TBitBtnXP : public QPushButton {
  Q_OBJECT

 public:
  TBitBtnXP(const QString& caption, TBitBtnKind kind, QWidget* parent = nullptr);

  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind kind);

  // The cancel role: the window's Esc key presses this button. The cancel
  // kind sets it; a window may take it away again.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool cancel) { cancel_ = cancel; }

  int ModalResult() const { return modal_result_; }
  void SetModalResult(int result) { modal_result_ = result; }

  // Replaces the kind's stock glyph.
  void SetGlyph(const QIcon& glyph);

 private:
  void CloseModalDialog();

  TBitBtnKind kind_ = TBitBtnKind::kCustom;
  bool cancel_ = false;
  int modal_result_ = mrNone;
};

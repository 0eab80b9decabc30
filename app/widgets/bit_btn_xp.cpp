// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/bit_btn_xp.h"

#include <QDialog>

#include "widgets/glyphs.h"

namespace {

struct KindTraits {
  bool has_glyph;
  GlyphId glyph;
  int modal_result;
  bool is_default;
  bool is_cancel;
};

KindTraits TraitsOf(TBitBtnKind kind) {
  switch (kind) {
    case TBitBtnKind::kOk:
      return {true, GlyphId::kOk, mrOk, true, false};
    case TBitBtnKind::kCancel:
      return {true, GlyphId::kCancel, mrCancel, false, true};
    case TBitBtnKind::kYes:
      return {true, GlyphId::kOk, mrYes, true, false};
    case TBitBtnKind::kNo:
      return {true, GlyphId::kCancel, mrNo, false, true};
    case TBitBtnKind::kAll:
      return {true, GlyphId::kAll, mrAll, false, false};
    case TBitBtnKind::kAbort:
      return {true, GlyphId::kCancel, mrAbort, false, false};
    case TBitBtnKind::kRetry:
      return {true, GlyphId::kGo, mrRetry, false, false};
    case TBitBtnKind::kIgnore:
      return {true, GlyphId::kGo, mrIgnore, false, false};
    case TBitBtnKind::kHelp:
      return {true, GlyphId::kInfo, mrNone, false, false};
    case TBitBtnKind::kClose:
      return {true, GlyphId::kCancel, mrNone, false, false};
    case TBitBtnKind::kCustom:
      break;
  }
  return {false, GlyphId::kOk, mrNone, false, false};
}

}  // namespace

TBitBtnXP::TBitBtnXP(const QString& caption, TBitBtnKind kind, QWidget* parent)
    : QPushButton(caption, parent) {
  SetKind(kind);
  connect(this, &QPushButton::clicked, this, &TBitBtnXP::CloseModalDialog);
}

void TBitBtnXP::SetKind(TBitBtnKind kind) {
  kind_ = kind;
  const KindTraits traits = TraitsOf(kind);
  if (traits.has_glyph) setIcon(MakeGlyph(traits.glyph));
  modal_result_ = traits.modal_result;
  cancel_ = traits.is_cancel;
  // Outside a dialog the default role only draws the button bolder; it
  // matters for the information dialog's OK button.
  setDefault(traits.is_default);
  setAutoDefault(false);
}

void TBitBtnXP::SetGlyph(const QIcon& glyph) { setIcon(glyph); }

void TBitBtnXP::CloseModalDialog() {
  if (kind_ == TBitBtnKind::kClose) {
    window()->close();
    return;
  }
  if (modal_result_ == mrNone) return;
  auto* dialog = qobject_cast<QDialog*>(window());
  if (dialog && dialog->isModal()) dialog->done(modal_result_);
}

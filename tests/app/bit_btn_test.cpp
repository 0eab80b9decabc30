// SPDX-License-Identifier: GPL-3.0-or-later
// The button kinds: stock glyph, default and cancel roles, modal results.
#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>

#include "widgets/bit_btn_xp.h"

TEST(BitBtn, KindsSetGlyphRolesAndModalResults) {
  TBitBtnXP ok(QStringLiteral("OK"), TBitBtnKind::kOk);
  EXPECT_FALSE(ok.icon().isNull());
  EXPECT_TRUE(ok.isDefault());
  EXPECT_FALSE(ok.Cancel());
  EXPECT_EQ(ok.ModalResult(), mrOk);

  TBitBtnXP cancel(QStringLiteral("Abbrechen"), TBitBtnKind::kCancel);
  EXPECT_FALSE(cancel.icon().isNull());
  EXPECT_TRUE(cancel.Cancel());
  EXPECT_EQ(cancel.ModalResult(), mrCancel);

  TBitBtnXP all(QStringLiteral("Alle"), TBitBtnKind::kAll);
  EXPECT_FALSE(all.icon().isNull());
  EXPECT_EQ(all.ModalResult(), mrAll);

  TBitBtnXP custom(QStringLiteral("Etwas"), TBitBtnKind::kCustom);
  EXPECT_TRUE(custom.icon().isNull());
  EXPECT_EQ(custom.ModalResult(), mrNone);
}

TEST(BitBtn, CancelRoleCanBeTakenAway) {
  TBitBtnXP button(QStringLiteral("&Löschen"), TBitBtnKind::kCancel);
  button.SetCancel(false);
  EXPECT_FALSE(button.Cancel());
  EXPECT_EQ(button.Kind(), TBitBtnKind::kCancel);
}

TEST(BitBtn, ButtonWithModalResultClosesModalDialog) {
  QDialog dialog;
  auto* cancel = new TBitBtnXP(QStringLiteral("Abbrechen"), TBitBtnKind::kCancel, &dialog);
  QTimer::singleShot(0, cancel, &QPushButton::click);
  EXPECT_EQ(dialog.exec(), int(mrCancel));
}

TEST(BitBtn, CustomButtonLeavesDialogOpen) {
  QDialog dialog;
  auto* custom = new TBitBtnXP(QStringLiteral("Etwas"), TBitBtnKind::kCustom, &dialog);
  bool still_open = false;
  QTimer::singleShot(0, [&] {
    custom->click();
    still_open = dialog.isVisible();
    dialog.done(42);
  });
  EXPECT_EQ(dialog.exec(), 42);
  EXPECT_TRUE(still_open);
}

TEST(BitBtn, ButtonOutsideModalDialogDoesNothingOnClick) {
  QWidget window;
  auto* ok = new TBitBtnXP(QStringLiteral("OK"), TBitBtnKind::kOk, &window);
  window.show();
  ok->click();
  EXPECT_TRUE(window.isVisible());
}

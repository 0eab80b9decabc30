// SPDX-License-Identifier: GPL-3.0-or-later
// The option dialogs give back what they were opened with, and every
// control reaches its field.
#include "dialogs/options_dialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QSpinBox>

TEST(OptionsDialogs, OpenedWithOptionsTheyGiveThemBackAndControlsReachTheirFields) {
  TextOptions text;
  text.relative = RelativeTo::kImageHeight;
  text.relative_percent = 7.5;
  text.angle = 30;
  text.tile = TileOptions{true, 12, 34, true};
  text.outline = true;
  text.outline_width = 3;
  text.outline_color = 0x123456;
  text.shadow = true;
  text.shadow_dx = -4;
  text.shadow_dy = 5;
  text.shadow_blur = 6;
  text.shadow_color = 0x654321;
  text.shadow_transparency = 40;
  text.smooth = true;
  text.variables = true;
  TTextOptionsDialog text_dialog(text);
  EXPECT_EQ(text_dialog.value(), text);
  EXPECT_EQ(TTextOptionsDialog(TextOptions{}).value(), TextOptions{});
  text_dialog.ShadowGroup->setChecked(false);
  text_dialog.Angle->setValue(-15);
  EXPECT_FALSE(text_dialog.value().shadow);
  EXPECT_EQ(text_dialog.value().angle, -15);

  PictureOptions picture;
  picture.keep_alpha = true;
  picture.relative = RelativeTo::kShorterSide;
  picture.relative_percent = 25;
  picture.margin_in_percent = true;
  picture.margin_percent = 3;
  picture.angle = 90;
  picture.tile = TileOptions{true, 5, 6, false};
  TPictureOptionsDialog picture_dialog(picture);
  EXPECT_EQ(picture_dialog.value(), picture);
  EXPECT_EQ(TPictureOptionsDialog(PictureOptions{}).value(), PictureOptions{});
  picture_dialog.RelativeBox->setCurrentIndex(1);
  EXPECT_EQ(picture_dialog.value().relative, RelativeTo::kImageWidth);
}

// "5.0 %" and a gap without a unit read as English in a German dialog.
TEST(OptionsDialogs, NumbersShowADecimalCommaAndTheirUnit) {
  TTextOptionsDialog dialog(TextOptions{});
  EXPECT_EQ(dialog.RelativePercent->text(), QStringLiteral("5,0 %"));
  EXPECT_EQ(dialog.Angle->text(), QStringLiteral("0,0°"));
  EXPECT_EQ(dialog.Tile.gap_x->text(), QStringLiteral("0,0 Pixel"));
  dialog.Tile.in_percent->setChecked(true);
  EXPECT_EQ(dialog.Tile.gap_y->text(), QStringLiteral("0,0 %"));
}

// Tiling switched on with no gaps set starts with half the mark's size each
// way; gaps already set stay, and one percent unit unchecks the other.
TEST(OptionsDialogs, NewTilingStartsWithHalfTheMarksSize) {
  TTextOptionsDialog text_dialog(TextOptions{});
  text_dialog.Tile.group->setChecked(true);
  EXPECT_EQ(text_dialog.value().tile, (TileOptions{true, 50, 50, false, true}));
  text_dialog.Tile.in_percent->setChecked(true);
  EXPECT_EQ(text_dialog.value().tile, (TileOptions{true, 50, 50, true, false}));

  PictureOptions picture;
  picture.tile = TileOptions{false, 20, 0, false};
  TPictureOptionsDialog picture_dialog(picture);
  picture_dialog.Tile.group->setChecked(true);
  EXPECT_EQ(picture_dialog.value().tile, (TileOptions{true, 20, 0, false, false}));
}

// Outline width, blur and shadow offset reach as far as a job may hold them.
TEST(OptionsDialogs, OutlineAndShadowReachTheirWholeRange) {
  TTextOptionsDialog dialog(TextOptions{});
  EXPECT_EQ(dialog.OutlineWidth->minimum(), 0);
  EXPECT_EQ(dialog.OutlineWidth->maximum(), 255);
  EXPECT_EQ(dialog.ShadowBlur->maximum(), 255);
  EXPECT_EQ(dialog.ShadowDx->minimum(), -10000);
  EXPECT_EQ(dialog.ShadowDy->maximum(), 10000);
}

// The percent beside "Eigene Größe bzw. Platzierung" took input it never
// used; so did a margin percent while the margin was in pixels.
TEST(OptionsDialogs, APercentTakesInputOnlyWhileItApplies) {
  TPictureOptionsDialog picture(PictureOptions{});
  EXPECT_FALSE(picture.RelativePercent->isEnabled());
  picture.RelativeBox->setCurrentIndex(1);
  EXPECT_TRUE(picture.RelativePercent->isEnabled());
  picture.RelativeBox->setCurrentIndex(2);
  EXPECT_TRUE(picture.RelativePercent->isEnabled());
  picture.RelativeBox->setCurrentIndex(0);
  EXPECT_FALSE(picture.RelativePercent->isEnabled());
  EXPECT_FALSE(picture.MarginPercent->isEnabled());
  picture.MarginPercentCheck->setChecked(true);
  EXPECT_TRUE(picture.MarginPercent->isEnabled());

  TTextOptionsDialog text(TextOptions{});
  EXPECT_FALSE(text.RelativePercent->isEnabled());
  EXPECT_FALSE(text.MarginPercent->isEnabled());
  text.RelativeCheck->setChecked(true);
  text.MarginPercentCheck->setChecked(true);
  EXPECT_TRUE(text.RelativePercent->isEnabled());
  EXPECT_TRUE(text.MarginPercent->isEnabled());
}

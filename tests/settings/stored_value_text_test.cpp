// SPDX-License-Identifier: GPL-3.0-or-later
// Value texts of the form-state store.
#include "stored_value_text.h"

#include <gtest/gtest.h>

#include <clocale>

#include "run/text_font.h"

TEST(FormStateValues, FloatsUseTheDotUnderEveryLocale) {
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(FormatStoredFloat(20), "20");
  EXPECT_EQ(FormatStoredFloat(12.5), "12.5");
  EXPECT_EQ(ParseStoredFloat("12.5"), 12.5);
  EXPECT_EQ(ParseStoredFloat(" -3 "), -3.0);
  EXPECT_EQ(ParseStoredFloat("12,5"), std::nullopt);
  EXPECT_EQ(ParseStoredFloat("abc"), std::nullopt);
  if (german) std::setlocale(LC_ALL, "C");
}

TEST(FormStateValues, AnIntegerThatIsNoNumberIsZero) {
  EXPECT_EQ(ParseStoredInteger("75"), 75);
  EXPECT_EQ(ParseStoredInteger("-2147483640"), -2147483640);
  EXPECT_EQ(ParseStoredInteger("abc"), 0);
  EXPECT_EQ(ParseStoredInteger("12.5"), 0);
  EXPECT_EQ(ParseStoredInteger("99999999999"), 0);
}

TEST(FormStateValues, FontStyleIsASetText) {
  EXPECT_EQ(FormatFontStyle(0), "[]");
  EXPECT_EQ(FormatFontStyle(kFontBold | kFontStrikeOut), "[fsBold,fsStrikeOut]");
  EXPECT_EQ(ParseFontStyle("[ fsitalic , fsBold ]"), uint8_t(kFontBold | kFontItalic));
  EXPECT_EQ(ParseFontStyle("[]"), uint8_t(0));
  EXPECT_EQ(ParseFontStyle("[fsWide]"), std::nullopt);
  EXPECT_EQ(ParseFontStyle("fsBold"), std::nullopt);
}

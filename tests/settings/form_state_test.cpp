// Value texts of the form-state store and the font's height and size.
#include "settings/form_state.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "settings/font_size.h"

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

TEST(FormStateValues, MemoLinesKeepALastEmptyLine) {
  EXPECT_TRUE(MemoTextLines("").empty());
  EXPECT_EQ(MemoTextLines("a\n"), std::vector<std::string>{"a"});
  EXPECT_EQ(MemoTextLines("a\r\n\nb"), (std::vector<std::string>{"a", "", "b"}));
  for (const char* text : {"a\n\n", "\n", "a\n\nb", "x"})
    EXPECT_EQ(MemoTextFromLines(MemoTextLines(text)), text) << text;
}

TEST(FormStateValues, HeightAndSizeFollowEachOtherAtThePixelsPerInch) {
  EXPECT_EQ(FontSizeFromHeight(-19, 96), 14);
  EXPECT_EQ(FontHeightFromSize(14, 96), -19);
  EXPECT_EQ(FontHeightFromSize(14, 120), -23);
  EXPECT_EQ(FontSizeFromHeight(-19, 0), 0);
  // Stored in the order Height then Size, the size decides.
  StoredFormValues values;
  RestoreFormValues(
      ProfileFile::FromText("[TMainForm]\nFontDialog1_FontHeight=-40\nFontDialog1_FontSize=10\n"), values);
  EXPECT_EQ(values.font.size, 10);
  EXPECT_EQ(values.font.height, -13);
}

TEST(FormStateValues, TheFileLivesInTheUsersConfigurationFolder) {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string saved_xdg = xdg ? xdg : "";
  const std::string saved_home = home ? home : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(FormStatePath("/usr/bin/stempora"), "/tmp/cfg/stempora/stempora.INI");
  EXPECT_EQ(FormStatePath("/opt/x/tool.exe"), "/tmp/cfg/stempora/tool.INI");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(FormStatePath("stempora"), "/home/u/.config/stempora/stempora.INI");
  if (xdg)
    setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  if (home)
    setenv("HOME", saved_home.c_str(), 1);
  else
    unsetenv("HOME");
}

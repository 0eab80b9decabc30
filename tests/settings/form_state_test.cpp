// SPDX-License-Identifier: GPL-3.0-or-later
// The form-state store's font height and size, and where its file lives.
#include "settings/form_state.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/font_size.h"

TEST(FormStateValues, HeightAndSizeFollowEachOtherAtThePixelsPerInch) {
  EXPECT_EQ(FontSizeFromHeight(-19, 96), 14);
  EXPECT_EQ(FontHeightFromSize(14, 96), -19);
  EXPECT_EQ(FontHeightFromSize(14, 120), -23);
  EXPECT_EQ(FontSizeFromHeight(-19, 0), 0);
  // Stored in the order Height then Size, the size decides.
  StoredFormValues values;
  values.properties.push_back({"FontDialog1_Font", TextFont{}});
  RestoreFormValues(
      ProfileFile::FromText("[TMainForm]\nFontDialog1_FontHeight=-40\nFontDialog1_FontSize=10\n"), values);
  const TextFont& font = std::get<TextFont>(values.properties[0].value);
  EXPECT_EQ(font.size, 10);
  EXPECT_EQ(font.height, -13);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "run/stamp_text.h"
#include "run/text_lines.h"

using Lines = std::vector<std::string>;

TEST(MemoLines, EmptyLastLineDoesNotCount) {
  EXPECT_EQ(MemoLines(""), Lines{});
  EXPECT_EQ(MemoLines("a"), Lines{"a"});
  EXPECT_EQ(MemoLines("a\n"), Lines{"a"});
  EXPECT_EQ(MemoLines("\n"), Lines{""});
  EXPECT_EQ(MemoLines("a\n\n"), (Lines{"a", ""}));
}

TEST(MemoLines, EmptyLinesBeforeTheLastCount) {
  EXPECT_EQ(MemoLines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(MemoLines("\nb"), (Lines{"", "b"}));
}

TEST(MemoLines, SplitsOnCrLfLfAndCr) {
  EXPECT_EQ(MemoLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(MemoLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(MemoLines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(MemoLines("a\n\r"), (Lines{"a", ""}));  // LF then CR: two breaks
  EXPECT_EQ(MemoLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST(MemoLines, LinesAreCutAt4096Characters) {
  EXPECT_EQ(MemoLines(std::string(5000, 'x') + "\nb"), (Lines{std::string(4096, 'x'), "b"}));
  EXPECT_EQ(MemoLines(std::string(4096, 'x')), Lines{std::string(4096, 'x')});
  // Characters, not bytes: "ä" is two bytes and counts once.
  const std::string umlauts = [] {
    std::string s;
    for (int i = 0; i < 4097; ++i) s += "\xC3\xA4";
    return s;
  }();
  const Lines cut = MemoLines(umlauts);
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].size(), 2u * 4096u);
}

TEST(MemoTextLines, ALastEmptyLineComesBackFromTheLines) {
  EXPECT_TRUE(MemoTextLines("").empty());
  EXPECT_EQ(MemoTextLines("a\n"), std::vector<std::string>{"a"});
  EXPECT_EQ(MemoTextLines("a\r\n\nb"), (std::vector<std::string>{"a", "", "b"}));
  for (const char* text : {"a\n\n", "\n", "a\n\nb", "x"})
    EXPECT_EQ(MemoTextFromLines(MemoTextLines(text)), text) << text;
}

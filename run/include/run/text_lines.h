// SPDX-License-Identifier: GPL-3.0-or-later
// Where the memo's text breaks into lines: the one rule for every place
// that needs the lines, the text pass that draws them and the form-state
// store that keeps one key per line. CR LF, LF and a lone CR each end a
// line, as the memo itself shows them; a text that ends in a break has no
// empty last line, while empty lines before it count.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> MemoTextLines(std::string_view text);

// The lines joined by LF, the way back: a last empty line gets a break of
// its own, so MemoTextLines gives the same lines again.
std::string MemoTextFromLines(const std::vector<std::string>& lines);

// The lines the text pass draws: MemoTextLines, each line cut at 4096
// characters (UTF-8 code points).
std::vector<std::string> MemoLines(const std::string& text);

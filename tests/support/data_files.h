// SPDX-License-Identifier: GPL-3.0-or-later
// The saved files under tests/data/<format>/<folder> (good seeds, damaged
// files named after their defect), for parameterised tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testsupport {

// Full paths of the regular files in tests/data/<format>/<folder>, sorted;
// empty when the folder is missing. extension (".jpg") keeps only those.
std::vector<std::string> data_files(const std::string& format, const std::string& folder,
                                    const std::string& extension = "");

// A test name made of the file's stem, other characters than letters and
// digits turned into '_' (the name of the defect reads in the test log).
std::string data_file_test_name(const testing::TestParamInfo<std::string>& info);

}  // namespace testsupport

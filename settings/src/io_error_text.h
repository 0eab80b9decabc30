// SPDX-License-Identifier: GPL-3.0-or-later
// German reason texts for file errors, for the window's message boxes.
#pragma once

#include <string>

std::string IoErrorText(int error_number);

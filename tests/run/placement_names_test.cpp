// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>

#include "run/placement.h"

TEST(PlacementNames, ListTheElevenItemsInOrder) {
  EXPECT_STREQ(kPlacementNames[0], "Oben Links");
  EXPECT_STREQ(kPlacementNames[4], "Zentriert");
  EXPECT_STREQ(kPlacementNames[9], "Eingepasst");
  EXPECT_STREQ(kPlacementNames[10], "Maximal");
}

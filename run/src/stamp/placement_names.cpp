// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/placement.h"

const char* const kPlacementNames[kPlacementCount] = {
    "Oben Links",  "Oben Mitte",  "Oben Rechts",  "Mitte Links", "Zentriert", "Mitte Rechts",
    "Unten Links", "Unten Mitte", "Unten Rechts", "Eingepasst",  "Maximal"};

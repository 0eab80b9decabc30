// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary text to the form-state store as its INI file: the window
// placement, one stored property of each kind the window keeps (a number,
// a fraction, a switch, a text, a list of lines, a font) under the keys the
// window uses, the options' section "Erweitert" and the picture's origin.
// The file is one the user (or anything else) may have edited; whatever it
// holds, reading it must neither crash nor take long. What was read is
// saved again and read back, as the window does at its next start.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/form_state.h"
#include "settings/profile_file.h"

namespace {

StoredFormValues values_as_the_window_starts() {
  StoredFormValues values;
  values.properties = {
      {"RandEd_Value", int32_t(0)},
      {"RandEd2_Value", int32_t(0)},
      {"jpeged_Value", int32_t(75)},
      {"TrackBar1_Position", int32_t(0)},
      {"Scale_Value", 20.0},
      {"AddTextCheck_Checked", true},
      {"Position1_Text", std::string("Unten Rechts")},
      {"Memo1_Lines", StoredLines{"Stempora"}},
      {"FontDialog1_Font", TextFont{}},
  };
  return values;
}

void read_store(const ProfileFile& profile) {
  const ScreenMetrics screen{1600, 1200, 96};
  (void)ReadFormPlacement(profile, screen);
  StoredFormValues values = values_as_the_window_starts();
  RestoreFormValues(profile, values);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The store refuses files above its cap before it reads them.
  if (size > kMaxProfileFileBytes) return 0;
  const ProfileFile profile =
      ProfileFile::FromText(std::string_view(reinterpret_cast<const char*>(data), size));
  read_store(profile);

  // Saved over what the file held, as the window does when it closes, and
  // read again at the next start.
  ProfileFile saved = profile;
  const ScreenMetrics screen{1600, 1200, 96};
  FormPlacement placement;
  placement.normal = {10, 10, 600, 500};
  StoredFormValues values = values_as_the_window_starts();
  RestoreFormValues(profile, values);
  SaveFormState(saved, placement, screen, values);
  read_store(ProfileFile::FromText(saved.Text()));
  return 0;
}

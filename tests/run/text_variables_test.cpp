// SPDX-License-Identifier: GPL-3.0-or-later
// The text variables: each name against hand-written facts, the brace
// rules, the facts of a file with and without EXIF, and the batch run
// replacing them per source with the source's place in the whole list.
#include "run/text_variables.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <vector>

#include "batch_scratch_folder.h"
#include "run/batch.h"
#include "support/peer_tools.h"

namespace stamptest {
void ensure_gui_application();
}

namespace {

SourceFacts photo_facts() {
  SourceFacts facts;
  facts.path = "/urlaub/Rom 2024/IMG_0042.JPG";
  facts.number = 7;
  facts.width = 4000;
  facts.height = 3000;
  facts.taken = ShownTime{2024, 3, 5, 9, 7};
  facts.camera = "Canon EOS 5D";
  return facts;
}

}  // namespace

TEST(TextVariables, EveryNameIsReplacedFromTheFacts) {
  EXPECT_EQ(ReplaceTextVariables("{Datei}|{Dateiname}|{Ordner}|{Datum}|{Uhrzeit}|{Jahr}", photo_facts()),
            "IMG_0042|IMG_0042.JPG|Rom 2024|05.03.2024|09:07|2024");
  EXPECT_EQ(ReplaceTextVariables("{Breite} x {Hoehe}, {Kamera}, Nr. {Nr}", photo_facts()),
            "4000 x 3000, Canon EOS 5D, Nr. 7");
}

TEST(TextVariables, DoubledBracesWriteOneAndUnknownNamesStay) {
  const SourceFacts facts = photo_facts();
  EXPECT_EQ(ReplaceTextVariables("{{Datei}} {Unbekannt} {datei} {} }", facts),
            "{Datei} {Unbekannt} {datei} {} }");
  EXPECT_EQ(ReplaceTextVariables("{a {Nr}}", facts), "{a 7}");
  EXPECT_EQ(ReplaceTextVariables("{Nr\n}{Nr", facts), "{Nr\n}{Nr");
  EXPECT_EQ(ReplaceTextVariables("Zeile 1\r\n{Jahr}", facts), "Zeile 1\r\n2024");
}

TEST(TextVariables, WithoutATimeTheDateVariablesAreEmpty) {
  SourceFacts facts = photo_facts();
  facts.taken.reset();
  facts.camera.clear();
  EXPECT_EQ(ReplaceTextVariables("[{Datum}][{Uhrzeit}][{Jahr}][{Kamera}]", facts), "[][][][]");
}

TEST(TextVariables, FileNamesNeverAddLines) {
  SourceFacts facts = photo_facts();
  facts.path = "/tmp/zwei\nZeilen.jpg";
  EXPECT_EQ(ReplaceTextVariables("{Datei}", facts), "zwei Zeilen");
}

TEST(TextVariables, CameraNameDropsAMakeTheModelRepeats) {
  EXPECT_EQ(CameraName("Canon", "Canon EOS 5D"), "Canon EOS 5D");
  EXPECT_EQ(CameraName("NIKON CORPORATION", "NIKON D850"), "NIKON CORPORATION NIKON D850");
  EXPECT_EQ(CameraName("Leica", ""), "Leica");
  EXPECT_EQ(CameraName("", "X100V"), "X100V");
}

TEST(TextVariables, FactsComeFromExif) {
  // EXIF: Make "Canon", Model "Canon EOS 5D", DateTimeOriginal 2024:03:05 14:07:09.
  const SourceFacts facts = ReadSourceFacts(
      std::string(STEMPORA_TEST_DATA) + "/jpeg/capture/exif_camera_and_date.jpg", 3, 640, 480, true);
  EXPECT_EQ(ReplaceTextVariables("{Datum} {Uhrzeit} {Kamera} {Ordner} {Nr}", facts),
            "05.03.2024 14:07 Canon EOS 5D capture 3");
}

TEST(TextVariables, WithoutExifTheModificationTimeInLocalTimeCounts) {
  batch_test::ScratchFolder folder;
  const std::string path = folder.file("bild.bmp");
  testsupport::write_file(path, {'B', 'M'});
  std::tm local{};
  local.tm_year = 2022 - 1900;
  local.tm_mon = 10;  // November
  local.tm_mday = 9;
  local.tm_hour = 8;
  local.tm_min = 5;
  local.tm_isdst = -1;
  const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  const SourceFacts facts = ReadSourceFacts(path, 1, 3, 2, true);
  EXPECT_EQ(ReplaceTextVariables("{Datum} {Uhrzeit} {Jahr} [{Kamera}]", facts), "09.11.2022 08:05 2022 []");
}

TEST(TextVariables, RunReplacesThemPerSourceWithItsPlaceInTheWholeList) {
  stamptest::ensure_gui_application();
  batch_test::ScratchFolder folder;
  TDibImage white = newdib(80, 30, 24, nullptr, 0);
  std::memset(white.Bits, 0xFF, size_t(white.RowBytes) * 30);
  ASSERT_EQ(SaveDib(&white, folder.file("a.bmp").c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
  ASSERT_EQ(SaveDib(&white, folder.file("b.bmp").c_str(), PIXKIT_FORMAT_BMP, nullptr), 1);
  deldib(&white);
  auto stamped = [&](const std::string& text, bool variables, const std::string& out_dir) {
    WatermarkJob job;
    job.sources = {folder.file("a.bmp"), folder.file("b.bmp")};
    job.out_dir = out_dir;
    job.text.text = text;
    job.text.transparency = 0;
    job.text.options.variables = variables;
    BatchControl second_only;
    second_only.shard_index = 1;
    second_only.shard_count = 2;
    RunBatch(
        job, [](const std::string&) {}, second_only);
    return testsupport::read_file(folder.file(out_dir + "/b.bmp"));
  };
  const std::vector<uint8_t> with_variable = stamped("{Nr}{Hoehe}", true, "mit");
  EXPECT_EQ(with_variable, stamped("230", false, "ohne"));
  EXPECT_NE(with_variable, stamped("{Nr}{Hoehe}", false, "wörtlich"));
}

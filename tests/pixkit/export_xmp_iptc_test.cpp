// SPDX-License-Identifier: GPL-3.0-or-later
// What a JPEG source's XMP, IPTC and comments become in a JPEG export,
// read back by exiftool: all of it under "alle behalten", no position
// under "ohne GPS", none of it under "keine", and none in a plain save.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pixkit/pixkit.h"
#include "support/owned_dib.h"
#include "support/peer_tools.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport;
using Bytes = std::vector<uint8_t>;

bool contains(const Bytes& haystack, const std::string& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// A JPEG of ours, then described by exiftool as a photographer's tool would.
std::string described_jpeg(const TempDir& dir) {
  OwnedDib dib(make_pattern(40, 30, 24));
  const std::string path = dir.file("source.jpg");
  EXPECT_EQ(SaveDib(&dib.dib, path.c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  EXPECT_TRUE(
      run("exiftool -q -overwrite_original '-XMP-dc:Creator=Anna Beispiel' '-XMP-dc:Rights=(c) Anna' "
          "-XMP-exif:GPSLatitude=47.123 -XMP-exif:GPSLongitude=11.5 '-XMP-photoshop:City=Innsbruck' "
          "'-IPTC:By-line=Anna Beispiel' '-IPTC:CopyrightNotice=(c) Anna' -IPTC:Keywords=Hochzeit "
          "-Comment=Probeabzug '" +
          path + "'"));
  return path;
}

std::string save_jpeg(const TempDir& dir, const std::string& source, int policy, int keep,
                      const std::string& name) {
  OwnedDib dib(OpenDib(source.c_str(), 0, nullptr));
  PixkitSaveSettings s = PixkitSaveSettingsInit();
  s.format = PIXKIT_FORMAT_JPG;
  s.metadata = policy;
  s.xmp_iptc_comments = keep;
  EXPECT_EQ(SaveDibAs(&dib.dib, dir.file(name).c_str(), &s, nullptr, nullptr), 1);
  return dir.file(name);
}

// exiftool's "Group:Tag: value" lines for the file.
std::string tags_of(const TempDir& dir, const std::string& file) {
  const std::string listed = dir.file("tags.txt");
  EXPECT_TRUE(run("exiftool -q -G1 -S -XMP:all -IPTC:all -File:Comment '" + file + "' > '" + listed + "'"));
  const Bytes text = read_file(listed);
  return std::string(text.begin(), text.end());
}

}  // namespace

TEST(ExportXmpIptc, EachMetadataChoiceLeavesWhatItPromises) {
  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  TempDir dir;
  const std::string source = described_jpeg(dir);
  const std::string all = tags_of(dir, save_jpeg(dir, source, PIXKIT_METADATA_ALL, 1, "all.jpg"));
  for (const char* kept :
       {"[XMP-dc] Creator: Anna Beispiel", "[XMP-dc] Rights: (c) Anna", "[XMP-exif] GPSLatitude",
        "[IPTC] By-line: Anna Beispiel", "[IPTC] CopyrightNotice: (c) Anna", "[IPTC] Keywords: Hochzeit",
        "[File] Comment: Probeabzug"})
    EXPECT_NE(all.find(kept), std::string::npos) << kept << "\n" << all;

  const std::string private_copy = save_jpeg(dir, source, PIXKIT_METADATA_NO_GPS_SERIALS, 1, "nogps.jpg");
  const std::string no_gps = tags_of(dir, private_copy);
  EXPECT_EQ(no_gps.find("GPS"), std::string::npos) << no_gps;
  EXPECT_FALSE(contains(read_file(private_copy), "GPSL"));
  for (const char* kept : {"[XMP-dc] Creator: Anna Beispiel", "[XMP-photoshop] City: Innsbruck",
                           "[IPTC] CopyrightNotice: (c) Anna", "[File] Comment: Probeabzug"})
    EXPECT_NE(no_gps.find(kept), std::string::npos) << kept << "\n" << no_gps;

  const std::string none = tags_of(dir, save_jpeg(dir, source, PIXKIT_METADATA_NONE, 1, "none.jpg"));
  EXPECT_EQ(none.find("Anna"), std::string::npos) << none;
  EXPECT_EQ(none.find("Probeabzug"), std::string::npos) << none;

  // Without the setting the save writes what SaveDib writes.
  const std::string plain = save_jpeg(dir, source, PIXKIT_METADATA_ALL, 0, "plain.jpg");
  OwnedDib dib(OpenDib(source.c_str(), 0, nullptr));
  ASSERT_EQ(SaveDib(&dib.dib, dir.file("savedib.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  EXPECT_EQ(read_file(plain), read_file(dir.file("savedib.jpg")));
}

// XMP written with its properties as attributes, as many cameras and
// phones do: the GPS attributes go, their neighbours stay readable.
TEST(ExportXmpIptc, GpsAttributesLeaveTheXmpPacket) {
  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  TempDir dir;
  const std::string packet =
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
      "<rdf:Description rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/' "
      "xmlns:photoshop='http://ns.adobe.com/photoshop/1.0/' exif:GPSLatitude='47,7.38N'\n"
      "   exif:GPSLongitude=\"11,30.0E\" photoshop:City='Innsbruck' exif:GPSVersionID='2.3.0.0'/>"
      "</rdf:RDF></x:xmpmeta>";
  OwnedDib dib(make_pattern(40, 30, 24));
  ASSERT_EQ(SaveDib(&dib.dib, dir.file("plain.jpg").c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  const Bytes file = read_file(dir.file("plain.jpg"));
  const std::string header("http://ns.adobe.com/xap/1.0/\0", 29);
  const std::string payload = header + packet;
  // The XMP segment right after SOI, as a camera writes it.
  Bytes out(file.begin(), file.begin() + 2);
  out.insert(out.end(), {0xFF, 0xE1, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)});
  out.insert(out.end(), payload.begin(), payload.end());
  out.insert(out.end(), file.begin() + 2, file.end());
  const std::string source = dir.file("source.jpg");
  write_file(source, out);
  ASSERT_NE(tags_of(dir, source).find("GPSLatitude"), std::string::npos);

  const std::string output = save_jpeg(dir, source, PIXKIT_METADATA_NO_GPS_SERIALS, 1, "nogps.jpg");
  const std::string tags = tags_of(dir, output);
  EXPECT_EQ(tags.find("GPS"), std::string::npos) << tags;
  EXPECT_NE(tags.find("[XMP-photoshop] City: Innsbruck"), std::string::npos) << tags;
  EXPECT_FALSE(contains(read_file(output), "GPS"));
}

// XMP past one segment's 64 kB goes on in extended XMP segments; "alle
// behalten" carries them all, so the long text reads back whole.
TEST(ExportXmpIptc, ExtendedXmpComesThroughWhole) {
  if (!have_program("exiftool")) GTEST_SKIP() << "exiftool (package libimage-exiftool-perl) is not installed";
  TempDir dir;
  std::string description;
  for (int i = 0; i < 4000; ++i) description += "Lange Beschreibung " + std::to_string(i) + " ";
  write_file(dir.file("description.txt"), Bytes(description.begin(), description.end()));
  OwnedDib dib(make_pattern(40, 30, 24));
  const std::string source = dir.file("source.jpg");
  ASSERT_EQ(SaveDib(&dib.dib, source.c_str(), PIXKIT_FORMAT_JPG, nullptr), 1);
  ASSERT_TRUE(run("exiftool -q -overwrite_original '-XMP-dc:Description<=" + dir.file("description.txt") +
                  "' '" + source + "'"));
  const std::string output = save_jpeg(dir, source, PIXKIT_METADATA_ALL, 1, "all.jpg");
  ASSERT_TRUE(run("exiftool -q -b -XMP-dc:Description '" + output + "' > '" + dir.file("back.txt") + "'"));
  const Bytes back = read_file(dir.file("back.txt"));
  EXPECT_EQ(std::string(back.begin(), back.end()), description);
}

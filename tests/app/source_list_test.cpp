// SPDX-License-Identifier: GPL-3.0-or-later
// Adding keeps the dialog's order after the existing entries, duplicates
// stay; deleting removes exactly the selected entries.
#include <QListWidget>

#include "dialogs/open_filter.h"
#include "form_fixture.h"
#include "handlers/opened_paths.h"

using SourceList = FormFixture;

TEST_F(SourceList, ChosenFilesAreAppendedInDialogOrder) {
  AddEntries({"/fotos/b.jpg"});
  AddEntries({"/fotos/c.tif", "/fotos/a.bmp", "/other/z.gif"});
  EXPECT_EQ(ListEntries(), (QStringList{"/fotos/b.jpg", "/fotos/c.tif", "/fotos/a.bmp", "/other/z.gif"}));
}

TEST_F(SourceList, AddingAListedFileGivesTwoEqualEntries) {
  AddEntries({"/fotos/a.jpg"});
  AddEntries({"/fotos/a.jpg"});
  EXPECT_EQ(ListEntries(), (QStringList{"/fotos/a.jpg", "/fotos/a.jpg"}));
}

TEST_F(SourceList, CancelledDialogLeavesListUnchanged) {
  AddEntries({"/fotos/a.jpg"});
  form->AddBtnClick();  // no queued answer: cancelled
  EXPECT_EQ(source_dialog_calls, 2);
  EXPECT_EQ(ListEntries(), QStringList{"/fotos/a.jpg"});
}

TEST_F(SourceList, EntriesAreNotCheckedForExistenceOrExtension) {
  AddEntries({"/does/not/exist.xyz", "no-dot"});
  EXPECT_EQ(ListEntries(), (QStringList{"/does/not/exist.xyz", "no-dot"}));
}

TEST_F(SourceList, DeleteWithoutSelectionChangesNothing) {
  AddEntries({"/1", "/2", "/3"});
  form->sources.ListBox1->clearSelection();
  form->DelBtnClick();
  EXPECT_EQ(ListEntries(), (QStringList{"/1", "/2", "/3"}));
}

TEST_F(SourceList, DeleteRemovesOneSelectedEntry) {
  AddEntries({"/1", "/2", "/3"});
  SelectEntries({2});
  form->DelBtnClick();
  EXPECT_EQ(ListEntries(), (QStringList{"/1", "/2"}));
}

TEST_F(SourceList, DeleteRemovesSeveralSelectedEntriesKeepingOrder) {
  AddEntries({"/1", "/2", "/3", "/4", "/5"});
  SelectEntries({1, 3});
  form->DelBtnClick();
  EXPECT_EQ(ListEntries(), (QStringList{"/1", "/3", "/5"}));
}

TEST_F(SourceList, DeleteRemovesOnlyTheSelectedOneOfTwoDuplicates) {
  AddEntries({"/a", "/a", "/b"});
  SelectEntries({1});
  form->DelBtnClick();
  EXPECT_EQ(ListEntries(), (QStringList{"/a", "/b"}));
}

TEST_F(SourceList, DeleteEverythingEmptiesList) {
  AddEntries({"/1", "/2"});
  SelectEntries({0, 1});
  form->DelBtnClick();
  EXPECT_EQ(form->sources.ListBox1->count(), 0);
}

TEST(SourceListFilter, LibraryFilterBecomesQtFilterList) {
  EXPECT_EQ(
      ConvertDibOpenFilter(QStringLiteral("Alle Bilddateien|*.bmp;*.jpg|Bitmap (*.bmp, *.dib)|*.bmp;*.dib|"
                                          "Alle Dateien (*.*)|*.*")),
      (QStringList{"Alle Bilddateien (*.bmp *.jpg)", "Bitmap (*.bmp *.dib)", "Alle Dateien (*.*)"}));
}

// The library reads PNG for logos; the source dialog offered it, and the
// run then passed every such source over.
TEST(SourceListFilter, TheSourceDialogAndDroppedFilesOfferOnlyWhatTheRunStamps) {
  EXPECT_EQ(
      ConvertSourceOpenFilter(QStringLiteral("Alle Bilddateien|*.bmp;*.JPEG;*.j2k;*.png|JPEG 2000 (*.jp2, "
                                             "*.j2k)|*.jp2;*.j2k|PNG (*.png)|*.png|Alle Dateien (*.*)|*.*")),
      (QStringList{"Alle Bilddateien (*.bmp *.JPEG)", "JPEG 2000 (*.jp2)"}));
  const OpenedPaths opened = SortOpenedPaths({"/a/logo.png", "/a/foto.jpg", "/a/ohne"});
  EXPECT_EQ(opened.sources, QStringList{"/a/foto.jpg"});
  EXPECT_EQ(opened.skipped, (QStringList{"/a/logo.png", "/a/ohne"}));

  // With the further types on, the window offers what the run then stamps.
  ExportOptions further;
  further.more_sources = true;
  EXPECT_EQ(ConvertSourceOpenFilter(QStringLiteral("Alle Bilddateien|*.bmp;*.png|PNG (*.png)|*.png"), further),
            (QStringList{"Alle Bilddateien (*.bmp *.png *.webp *.heic *.heif *.avif)", "PNG (*.png)",
                         "PNG, WebP, HEIC und AVIF (*.png *.webp *.heic *.heif *.avif)"}));
  const OpenedPaths taken = SortOpenedPaths({"/a/logo.png", "/a/handy.HEIC", "/a/ohne"}, further);
  EXPECT_EQ(taken.sources, (QStringList{"/a/logo.png", "/a/handy.HEIC"}));
  EXPECT_EQ(taken.skipped, QStringList{"/a/ohne"});
}

TEST(SourceListFilter, IncompleteAndEmptyPartsAreDropped) {
  EXPECT_EQ(ConvertDibOpenFilter(QString()), QStringList());
  EXPECT_EQ(ConvertDibOpenFilter(QStringLiteral("Ohne Muster||Nur Text")), QStringList());
  EXPECT_EQ(ConvertDibOpenFilter(QStringLiteral("|*.gif")), QStringList{"*.gif (*.gif)"});
}

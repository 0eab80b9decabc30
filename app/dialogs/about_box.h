// SPDX-License-Identifier: GPL-3.0-or-later
// The information dialog "Info": the product's picture, texts about the
// product and its maker, a button to the maker's web site and OK.
#pragma once

#include <QDialog>

class QLabel;
class TBitBtnXP;

// The maker's web address; a reserved example domain until the product
// has its own.
inline constexpr const char* kMakerWebAddress = "https://stempora.example/";
inline constexpr const char* kMakerWebCaption = "stempora.example";

// The year of the copyright notice: the release's, as debian/copyright
// states it, not the year of the build or of today.
inline constexpr int kCopyrightYear = 2026;

// Asks the desktop to open the maker's web site; the result is not
// examined (the desktop may show its own message).
void OpenMakerWebSite();

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // `year` fills the first "XXXX" of the copyright label; kCopyrightYear
  // when not given.
  explicit TAboutBox(QWidget* parent, int year);
  explicit TAboutBox(QWidget* parent = nullptr);

  QLabel* YearLabel() const { return year_label_; }
  TBitBtnXP* OKButton() const { return ok_button_; }
  TBitBtnXP* WebButton() const { return web_button_; }

 private:
  void AddLicenceNotice(int text_left);
  QLabel* year_label_ = nullptr;
  TBitBtnXP* ok_button_ = nullptr;
  TBitBtnXP* web_button_ = nullptr;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/about_box.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QUrl>

#include "handlers/handler_guard.h"
#include "pages/side_pictures.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/glyphs.h"

namespace {
constexpr QSize kClientSize(664, 453);
constexpr QSize kPictureSize(280, 413);
}  // namespace

void OpenMakerWebSite() { QDesktopServices::openUrl(QUrl(QString::fromUtf8(kMakerWebAddress))); }

// The licences as the files' SPDX lines and debian/copyright give them:
// the program under the GPL, its picture library under the LGPL.
void TAboutBox::AddLicenceNotice(int text_left) {
  auto* licence = new QLabel(
      QStringLiteral("Freie Software ohne jede Gewährleistung: Stempora unter der GPL-3.0-or-later, "
                     "die Bildbibliothek Pixkit unter der LGPL-2.1-or-later."),
      this);
  licence->setObjectName(QStringLiteral("Licence"));
  QFont licence_font = font();
  licence_font.setPixelSize(11);
  licence->setFont(licence_font);
  licence->setWordWrap(true);
  licence->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Below the web button, beside OK: four lines of the small font.
  licence->setGeometry(text_left, 380, kClientSize.width() - text_left - 20 - 75 - 10, 56);
}

TAboutBox::TAboutBox(QWidget* parent) : TAboutBox(parent, kCopyrightYear) {}

TAboutBox::TAboutBox(QWidget* parent, int year) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("Info"));
  setModal(true);
  setFixedSize(kClientSize);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("ProgramIcon"));
  picture->setPixmap(MakeAboutPicture(kPictureSize));
  picture->setFrameShape(QFrame::Panel);
  picture->setFrameShadow(QFrame::Sunken);
  picture->setGeometry(QRect(QPoint(20, 20), kPictureSize));

  const int text_left = 320;
  const int text_width = kClientSize.width() - text_left - 20;
  auto* product = new QLabel(QStringLiteral("Velmora Stempora 1.0"), this);
  product->setObjectName(QStringLiteral("ProductName"));
  QFont title_font = font();
  title_font.setPixelSize(24);
  title_font.setBold(true);
  product->setFont(title_font);
  product->setGeometry(text_left, 30, text_width, 34);

  auto* version = new QLabel(QStringLiteral("Version 1.0"), this);
  version->setObjectName(QStringLiteral("Version"));
  version->setGeometry(text_left, 70, text_width, 18);

  year_label_ = new QLabel(QStringLiteral("Copyright © XXXX Velmora"), this);
  year_label_->setObjectName(QStringLiteral("Copyright"));
  QString copyright = year_label_->text();
  const qsizetype placeholder = copyright.indexOf(QStringLiteral("XXXX"));
  if (placeholder >= 0)
    copyright.replace(placeholder, 4, QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
  year_label_->setText(copyright);
  year_label_->setGeometry(text_left, 92, text_width, 18);

  auto* comments = new QLabel(
      QStringLiteral("Stempora versieht beliebig viele Bilder in einem Durchgang mit einem Wasserzeichen: "
                     "mit Text in der gewählten Schrift, mit einem Bild oder mit beidem, an einer von "
                     "neun Stellen, mit Seitenrand und Transparenz.\n\n"
                     "Die Bilder werden in einem Unterverzeichnis neben den Quelldateien abgelegt, "
                     "jedes im Format seiner Dateiendung; die Quelldateien bleiben unverändert.\n\n"
                     "Ein ganzer Auftrag lässt sich als Einstellungsdatei sichern und später wieder "
                     "öffnen."),
      this);
  comments->setObjectName(QStringLiteral("Comments"));
  comments->setWordWrap(true);
  comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  comments->setGeometry(text_left, 130, text_width, 200);

  web_button_ = new TBitBtnXP(QString::fromUtf8(kMakerWebCaption), TBitBtnKind::kCustom, this);
  web_button_->setObjectName(QStringLiteral("WebBtn"));
  web_button_->SetGlyph(MakeGlyph(GlyphId::kWebLogo));
  web_button_->setGeometry(text_left, 350, 180, 25);
  connect(web_button_, &QPushButton::clicked, this, [this] { RunGuarded(this, [] { OpenMakerWebSite(); }); });

  AddLicenceNotice(text_left);

  ok_button_ = new TBitBtnXP(QStringLiteral("OK"), TBitBtnKind::kOk, this);
  ok_button_->setObjectName(QStringLiteral("OKButton"));
  ok_button_->setGeometry(kClientSize.width() - 20 - 75, kClientSize.height() - 20 - 25, 75, 25);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "dialogs/about_box.h"
#include "dialogs/open_filter.h"
#include "dialogs/preview_window.h"
#include "handlers/handler_guard.h"
#include "handlers/source_drop.h"
#include "run/failure_text.h"
#include "state/background_run.h"
#include "widgets/bit_btn_xp.h"
#include "widgets/glyphs.h"
#include "widgets/log_follower.h"
#include "widgets/paint_box.h"

namespace {

constexpr int kToolBarHeight = 27;
constexpr int kBottomBarHeight = 41;
constexpr int kPanel8Width = 182;

QToolButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                            GlyphId glyph, QRect geometry) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(caption);
  button->setToolTip(hint);
  button->setIcon(MakeGlyph(glyph));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);  // speed buttons never take the focus
  button->setGeometry(geometry);
  return button;
}

// The window's text font: 8 points at 96 pixels per inch. The classic
// face is rarely installed here; metric-compatible faces stand in.
QFont WindowFont() {
  QFont font;
  font.setFamilies(
      {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(11);
  return font;
}

}  // namespace

TMainForm::TMainForm(FormDialogs dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromUtf8(kMainFormCaption));
  setFont(WindowFont());
  resize(kMainFormSize);
  setMinimumSize(kMainFormMinimumSize);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  setCentralWidget(central);

  BuildToolBar(central);
  layout->addWidget(Panel27);

  PageControl1 = new QTabWidget(central);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  sources = BuildSourcePage(PageControl1);
  text = BuildTextPage(PageControl1);
  picture = BuildPicturePage(PageControl1);
  process = BuildProcessPage(PageControl1);
  PageControl1->addTab(sources.TabSheet1, MakeGlyph(GlyphId::kTabSources), QStringLiteral("Quelldateien"));
  PageControl1->addTab(text.TabSheet2, MakeGlyph(GlyphId::kTabText), QStringLiteral("Text hinzufügen"));
  PageControl1->addTab(picture.TabSheet3, MakeGlyph(GlyphId::kTabPicture),
                       QStringLiteral("Grafik hinzufügen"));
  PageControl1->addTab(process.TabSheet4, MakeGlyph(GlyphId::kTabProcess),
                       QStringLiteral("Dateien verarbeiten"));
  PageControl1->setCurrentIndex(0);
  layout->addWidget(PageControl1, 1);

  BuildBottomBar(central);
  layout->addWidget(Panel7);

  StatusBar1 = new TStatusBar(central);
  StatusBar1->OnDrawPanel = [this](QPainter& painter, const TRect& panel) {
    RunGuarded(this, [&] { StatusBar1DrawPanel(painter, panel); });
  };
  layout->addWidget(StatusBar1);

  // Esc presses the cancel button from any page; the two memos and an
  // open drop-down list or menu keep the key for themselves (see
  // eventFilter, which sees every widget's events for the popups).
  qApp->installEventFilter(this);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, Guarded(this, &TMainForm::EscapePressed));
  text.Memo1->installEventFilter(this);
  process.Memo2->installEventFilter(this);
  process.GoBtn->installEventFilter(this);

  log_follower_ = new LogFollower(process.Memo2);
  ConnectHandlers();
  InstallSourceDrop(*this);
  FormCreate();
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(this);
  // The controls go after this object's own part: their last signals (the
  // list emptied, say) must not reach it any more.
  for (const QMetaObject::Connection& connection : settings_connections_) disconnect(connection);
  delete std::exchange(preview_, nullptr);  // its render ends first
  // A run still going is cancelled and waited for before anything it
  // reports to goes.
  delete std::exchange(run_, nullptr);
  // A window destroyed without being closed saves here, once.
  if (!FormStorage1.Saved()) RunGuarded(this, [this] { FormStorage1.SaveFormPlacement(true); });
  SetDibProgressHandler(this, nullptr);
  deldib(&WatermarkDib);  // FormDestroy
  WatermarkDib = TDibImage{};
  deldib(&WatermarkAlpha);
  WatermarkAlpha = TDibImage{};
}

void TMainForm::FormCreate() {
  OpenDialog1Filter = ConvertSourceOpenFilter(QString::fromUtf8(GetDIBOpenFilter()));
  WatermarkDib = newdib(320, 200, 24, nullptr, 0);
  text.Position1->setCurrentIndex(4);
  picture.Position2->setCurrentIndex(9);
  SetDibProgressHandler(this, &TMainForm::LibraryProgress);
}

void TMainForm::LibraryProgress(void* owner, int percent) {
  // Called from inside the imaging library: nothing may escape back into
  // it, so an error is shown here and the library goes on. A receiver that
  // keeps failing is reported once, not once per row.
  auto* form = static_cast<TMainForm*>(owner);
  try {
    form->WMUser(percent);
    form->library_progress_failing_ = false;
  } catch (const std::exception& error) {
    if (!std::exchange(form->library_progress_failing_, true))
      ReportHandlerError(form, QString::fromUtf8(error.what()));
  } catch (...) {
    if (!std::exchange(form->library_progress_failing_, true))
      ReportHandlerError(form, QString::fromStdString(UnknownFailureText()));
  }
}

void TMainForm::BuildToolBar(QWidget* parent) {
  Panel27 = new QWidget(parent);
  Panel27->setObjectName(QStringLiteral("Panel27"));
  Panel27->setFixedHeight(kToolBarHeight);
  NewBtn = MakeFlatButton(Panel27, "NewBtn", QStringLiteral("Einstellungen \"&Neu\"..."),
                          QStringLiteral("Die Einstellungen werden auf die Vorgabewerte gesetzt"),
                          GlyphId::kNewSettings, QRect(8, 1, 145, 25));
  OpenBtn = MakeFlatButton(Panel27, "OpenBtn", QStringLiteral("Einstellungen Ö&ffnen..."),
                           QStringLiteral("Gesicherte Einstellungen werden wieder geladen"),
                           GlyphId::kOpenSettings, QRect(153, 1, 160, 25));
  SaveBtn = MakeFlatButton(Panel27, "SaveBtn", QStringLiteral("Einstellungen &Speichern unter..."),
                           QStringLiteral("Die aktuelle Einstellungen werden gesichert, damit diese später "
                                          "nochmals verwendet werden können"),
                           GlyphId::kSaveSettings, QRect(314, 1, 191, 25));
}

void TMainForm::BuildBottomBar(QWidget* parent) {
  Panel7 = new QWidget(parent);
  Panel7->setObjectName(QStringLiteral("Panel7"));
  Panel7->setFixedHeight(kBottomBarHeight);
  auto* layout = new QHBoxLayout(Panel7);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* left = new QWidget(Panel7);
  layout->addWidget(left, 1);
  wwwBtn =
      MakeFlatButton(left, "wwwBtn", QString::fromUtf8(kMakerWebCaption),
                     QStringLiteral("Auf zur Velmora Homepage..."), GlyphId::kWebLogo, QRect(5, 5, 137, 33));

  Panel8 = new QWidget(Panel7);
  Panel8->setObjectName(QStringLiteral("Panel8"));
  Panel8->setFixedWidth(kPanel8Width);
  layout->addWidget(Panel8);
  AboutBtn = new TBitBtnXP(QStringLiteral("Über"), TBitBtnKind::kCustom, Panel8);
  AboutBtn->setObjectName(QStringLiteral("AboutBtn"));
  AboutBtn->SetGlyph(MakeGlyph(GlyphId::kInfo));
  AboutBtn->setGeometry(8, 8, 75, 25);
  QuitBtn = new TBitBtnXP(QStringLiteral("Beenden"), TBitBtnKind::kCancel, Panel8);
  QuitBtn->setObjectName(QStringLiteral("QuitBtn"));
  QuitBtn->setGeometry(88, 8, 78, 25);
}

void TMainForm::ConnectHandlers() {
  connect(NewBtn, &QToolButton::clicked, this, Guarded(this, &TMainForm::NewBtnClick));
  connect(OpenBtn, &QToolButton::clicked, this, Guarded(this, &TMainForm::OpenBtnClick));
  connect(SaveBtn, &QToolButton::clicked, this, Guarded(this, &TMainForm::SaveBtnClick));
  connect(sources.AddBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::AddBtnClick));
  connect(sources.DelBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::DelBtnClick));
  connect(text.NewFontBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::NewFontBtnClick));
  connect(picture.OpenPicBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::OpenPicBtnClick));
  connect(process.GoBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::AddPDFBtnClick));
  connect(text.TextOptionsBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::TextOptionsBtnClick));
  connect(picture.PictureOptionsBtn, &QPushButton::clicked, this,
          Guarded(this, &TMainForm::PictureOptionsBtnClick));
  connect(process.OutputOptionsBtn, &QPushButton::clicked, this,
          Guarded(this, &TMainForm::OutputOptionsBtnClick));
  connect(process.PreviewBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::PreviewBtnClick));
  ConnectSettingsChanged();
  picture.PaintBox2->OnPaint = [this](QPainter& canvas) {
    RunGuarded(this, [&] { PaintBox2Paint(canvas); });
  };
  connect(wwwBtn, &QToolButton::clicked, this, Guarded(this, &TMainForm::wwwBtnClick));
  connect(AboutBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::AboutBtnClick));
  connect(QuitBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::QuitBtnClick));
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (first_shown_) return;
  first_shown_ = true;
  // The outer size includes the frame, which is known only once shown.
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame.isValid() && !frame.isEmpty()) resize(kMainFormSize - frame);
  start_height_ = height();
  GrowLogBy(process, 0);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect outer(QPoint(0, 0), kMainFormSize);
    outer.moveCenter(screen->availableGeometry().center());
    move(outer.topLeft());
  }
  // The stored placement, when there is one, replaces the centred one.
  RunGuarded(this, [this] { FormStorage1.RestoreFormPlacement(); });
  RunGuarded(this, [this] { ShowChosenSettings(); });
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  GrowLogBy(process, height() - start_height_);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (RunGoing()) {
    // The window closes only once the run has ended (or not at all).
    event->ignore();
    RunGuarded(this, [this] { AskToEndRunAndClose(); });
    return;
  }
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) RunGuarded(this, [this] { FormStorage1.SaveFormPlacement(false); });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // The second press of a double click would cancel the run the first
  // press just started: a double click on the start button counts as one
  // press.
  if (watched == process.GoBtn && event->type() == QEvent::MouseButtonDblClick) return true;
  if (event->type() == QEvent::ShortcutOverride && QApplication::activePopupWidget() != nullptr &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    // Esc is the open popup's: a drop-down list closes on it while the
    // shortcut is being looked for, and the window's cancel button must
    // not take it as well. The popup still sees the key.
    event->accept();
    return false;
  }
  if (event->type() == QEvent::ShortcutOverride && (watched == text.Memo1 || watched == process.Memo2)) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
      // The memo keeps Esc: the window's cancel button must not see it.
      event->accept();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::EscapePressed() {
  if (QuitBtn->Cancel() && QuitBtn->isEnabled()) QuitBtn->click();
}

void TMainForm::QuitBtnClick() { close(); }

void TMainForm::AboutBtnClick() {
  TAboutBox box(this);
  box.exec();
}

void TMainForm::wwwBtnClick() { OpenMakerWebSite(); }

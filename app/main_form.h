// SPDX-License-Identifier: GPL-3.0-or-later
// TMainForm: the one main window. Its handlers carry the program's logic
// for the source list, the status bar's progress, the batch run and the
// settings files; the pages' controls are built in one file per page.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/form_dialogs.h"
#include "pages/picture_page.h"
#include "pages/process_page.h"
#include "pages/source_page.h"
#include "pages/text_page.h"
#include "pixkit/pixkit.h"
#include "run/text_font.h"
#include "state/form_storage.h"
#include "widgets/status_progress.h"

class BackgroundRun;
class LogFollower;
struct BatchOutcome;
class QPainter;
class QTabWidget;
class QTimer;
class TPreviewForm;
class QToolButton;
class TBitBtnXP;

inline constexpr const char* kMainFormCaption = "Velmora Stempora 1.0";
inline constexpr QSize kMainFormSize(622, 489);  // outer size, frame included
// The smallest client area in which every control of every page is in
// view: the side picture's height and the widths of page 2's memo and
// page 4's group box set it (measured by the window tests).
inline constexpr QSize kMainFormMinimumSize(607, 441);

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(FormDialogs dialogs = FormDialogs::Standard(), QWidget* parent = nullptr);
  ~TMainForm() override;  // FormDestroy

  // Tool bar, pages, bottom bar and status bar.
  QWidget* Panel27 = nullptr;
  QToolButton* NewBtn = nullptr;
  QToolButton* OpenBtn = nullptr;
  QToolButton* SaveBtn = nullptr;
  QTabWidget* PageControl1 = nullptr;
  SourcePage sources;
  TextPage text;
  PicturePage picture;
  ProcessPage process;
  QWidget* Panel7 = nullptr;
  QToolButton* wwwBtn = nullptr;
  QWidget* Panel8 = nullptr;
  TBitBtnXP* AboutBtn = nullptr;
  TBitBtnXP* QuitBtn = nullptr;
  TStatusBar* StatusBar1 = nullptr;

  // The picture watermark, owned by the window: 24 bits, a picture with
  // transparency composed over white.
  TDibImage WatermarkDib{};
  // The same picture as it was loaded, with its alpha channel (32 bits);
  // none when it has no alpha channel. The run and a settings file take it
  // instead of WatermarkDib while the option that keeps the alpha channel
  // is on, so switching the option applies at once, either way.
  TDibImage WatermarkAlpha{};
  // Where WatermarkDib came from (none: the start picture). The form-state
  // store keeps it, so that the next start loads the same picture again.
  WatermarkOrigin WatermarkDibOrigin;
  // FontDialog1's font: the text watermark's font.
  TextFont Font;
  // The options past the plain passes ("Erweitert..." on pages 2 and 3);
  // the settings files and the form-state store keep them.
  WatermarkOptions Options;
  // Start folders of the file dialogs; only the settings files set them.
  QString OpenDialog1Dir;
  QString OpenDialog2Dir;
  QString OpenDialog3Dir;
  QString SaveDialog1Dir;
  // The folder of the settings file last opened: a relative source in the
  // list, kept as the file stores it, is opened from there by the run.
  std::string SourcesFolder;
  // OpenDialog1's filter: the imaging library's, cut to what the run stamps.
  QStringList OpenDialog1Filter;

  // Keeps the stored settings and the placement between runs.
  TFormStorage FormStorage1{*this};

  // Progress state of the status bar.
  int32_t ProStatus = 0;
  TRect ProPanelRect;

  // Handlers.
  void AddBtnClick();
  void DelBtnClick();
  // Starts the batch run on worker threads; while it goes on, the start
  // button says "Abbrechen" and the same press cancels the run.
  void AddPDFBtnClick();
  void SaveBtnClick();
  void OpenBtnClick();
  void NewBtnClick();
  void NewFontBtnClick();
  void OpenPicBtnClick();
  void AboutBtnClick();
  void wwwBtnClick();
  void QuitBtnClick();
  // The further options and the preview (options_handlers.cpp).
  void TextOptionsBtnClick();
  void PictureOptionsBtnClick();
  void OutputOptionsBtnClick();
  void PreviewBtnClick();
  // Any setting changed: what the pages show of the settings is brought
  // up to date and an open preview renders again.
  void SettingsChanged();
  // The chosen font in words on the text page, and on each "Erweitert..."
  // button whether any of its options is on.
  void ShowChosenSettings();
  TPreviewForm* Preview() const { return preview_; }
  void PaintBox2Paint(QPainter& canvas);
  // At start: loads the picture watermark again from where it came from
  // last time. When it cannot, the start picture stays, "Kein Bild
  // hinzufügen" is selected so that nothing unexpected is stamped, and the
  // log says why.
  void LoadWatermarkAgain(const WatermarkOrigin& origin);
  // Makes a 24- or 32-bit record the picture watermark (WatermarkDib and,
  // for a 32-bit one, WatermarkAlpha), releasing the old ones first.
  // Throws std::bad_alloc, the old picture kept, when the composed copy
  // cannot be made; the record given is released then.
  void AdoptWatermark(TDibImage picture);
  // What OpenBtnClick does once the file is chosen; also opens a job
  // given on the command line or dropped on the window.
  void OpenSettingsFile(const QString& path);

  // The progress message: any code that shows progress calls WMUser on the
  // window's thread with the percentage. From another thread the call is
  // handed over and waited for, as a sent message would be. Virtual, as a
  // message handler is: a window may answer the message its own way.
  virtual void WMUser(int32_t percent);
  void SetProStatus(int32_t percent);
  void StatusBar1DrawPanel(QPainter& painter, const TRect& panel);
  void SBarPaintMore(int32_t previous_percent);

  // Adds a line at the end of the log (Memo2).
  void AppendLog(const QString& line);

  // The dialogs the handlers show; tests replace them.
  FormDialogs& Dialogs() { return dialogs_; }

  // From the start of a batch run until its end has been shown. Meanwhile
  // every control that would change the job or start another run is
  // disabled.
  bool RunGoing() const { return run_ != nullptr; }
  bool RunCancelRequested() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void BuildToolBar(QWidget* parent);
  void BuildBottomBar(QWidget* parent);
  void ConnectHandlers();
  void EscapePressed();
  // The picture of the last run is not there: "Kein Bild hinzufügen" is
  // selected, and the log and the picture page say why (failure) and what
  // was done about it.
  void WatermarkMissing(const std::string& failure);
  // The batch run (run_handlers.cpp).
  void StartRun();
  void LockJobControls();
  void UnlockJobControls();
  std::vector<QWidget*> JobControls() const;
  void ShowRunProgress();
  void RunEnded(const BatchOutcome& outcome);
  void AskToEndRunAndClose();
  // The imaging library's progress receiver (owner: the window).
  static void LibraryProgress(void* owner, int percent);

  FormDialogs dialogs_;
  // The run going on, a child of the window; null between runs.
  BackgroundRun* run_ = nullptr;
  TPreviewForm* preview_ = nullptr;  // made on the first "Vorschau..."
  void ConnectSettingsChanged();
  std::vector<QMetaObject::Connection> settings_connections_;
  QTimer* run_progress_timer_ = nullptr;
  // The enabled flags of JobControls() as they were before the run.
  std::vector<bool> enabled_before_run_;
  QString go_caption_before_run_;
  QIcon go_glyph_before_run_;
  // "Beenden" was confirmed during the run: the window closes at its end.
  bool close_when_run_ends_ = false;
  bool first_shown_ = false;
  // The client area's height at the start size; the log takes what a
  // taller window adds to it.
  int start_height_ = kMainFormSize.height();
  LogFollower* log_follower_ = nullptr;
  std::optional<TextFont> shown_font_;  // the font the text page names
  bool library_progress_failing_ = false;
};

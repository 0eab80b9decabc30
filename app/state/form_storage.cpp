// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/form_storage.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "handlers/handler_guard.h"
#include "main_form.h"
#include "state/control_bindings.h"

namespace {

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

TFormStorage::TFormStorage(TMainForm& form)
    : form_(form),
      ini_file_name_(QFile::decodeName(
          QByteArray::fromStdString(FormStatePath(PathBytes(QCoreApplication::applicationFilePath()))))) {}

ScreenMetrics TFormStorage::CurrentScreen() const {
  ScreenMetrics metrics;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    metrics.width = screen->geometry().width();
    metrics.height = screen->geometry().height();
    // The resolution in force: a scale factor (QT_SCALE_FACTOR, a high
    // resolution screen) makes each of the window's pixels several of the
    // screen's, as a raised pixels-per-inch setting does elsewhere. A
    // placement stored under another scale would not fit this one.
    metrics.pixels_per_inch = qRound(screen->logicalDotsPerInch() * screen->devicePixelRatio());
  }
  return metrics;
}

FrameMargins TFormStorage::CurrentFrame() const {
  // Asked of the platform window: the widget keeps the frame it measured
  // last and may not notice when a window manager frames it later.
  const QWindow* window = form_.windowHandle();
  if (window == nullptr) return FrameMargins{};
  const QMargins m = window->frameMargins();
  auto side = [](int value) { return std::clamp(value, 0, kMaxFrameMargin); };
  return FrameMargins{side(m.left()), side(m.top()), side(m.right()), side(m.bottom())};
}

QRect TFormStorage::FittedOnScreen(const QRect& client, const FrameMargins& frame) const {
  const QScreen* screen = QGuiApplication::screenAt(client.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return client;
  // The whole window, frame included, inside the screen's free area (no
  // panel over it), so that the title bar and every button are in reach:
  // first as large as fits, never below the window's smallest size, then
  // moved in.
  const QRect room = screen->availableGeometry();
  const QSize frame_size(frame.left + frame.right, frame.top + frame.bottom);
  const QSize largest = (room.size() - frame_size).expandedTo(form_.minimumSize());
  QRect fitted(client.topLeft(), client.size().boundedTo(largest));
  const int outer_width = fitted.width() + frame_size.width();
  const int outer_height = fitted.height() + frame_size.height();
  const int left =
      std::max(room.left(), std::min(fitted.left() - frame.left, room.right() + 1 - outer_width));
  const int top = std::max(room.top(), std::min(fitted.top() - frame.top, room.bottom() + 1 - outer_height));
  fitted.moveTopLeft(QPoint(left + frame.left, top + frame.top));
  return fitted;
}

StoredFormValues TFormStorage::ValuesFromForm() const {
  StoredFormValues values;
  for (const ControlBinding& binding : ControlBindings())
    if (binding.to_stored) binding.to_stored(form_, values);
  return values;
}

void TFormStorage::ApplyValuesToForm(const StoredFormValues& values) {
  for (const ControlBinding& binding : ControlBindings())
    if (binding.from_stored) binding.from_stored(form_, values);
}

void TFormStorage::RestoreFormPlacement() {
  if (ini_file_name_.isEmpty()) return;
  const std::optional<ProfileFile> profile = LoadProfileFile(PathBytes(ini_file_name_));
  if (!profile) {
    // The window starts with its defaults; the file stays as it is.
    ReportHandlerError(&form_, QStringLiteral("%1 kann nicht gelesen werden").arg(ini_file_name_));
    return;
  }
  restored_ = true;
  const ScreenMetrics screen = CurrentScreen();
  const RestoredPlacement placement = ReadFormPlacement(*profile, screen);
  if (!placement.restore) return;
  if (placement.normal) {
    // The stored rectangle is the outer one. A window manager frames the
    // window only after it is shown, often after this: its frame cannot be
    // measured here, and a frame taken as none would move the window by the
    // title bar's height and grow it by the frame at every start. So the
    // client area is placed, inside the frame the window had when the
    // rectangle was saved, and the frame then lands where it was. A file
    // without that frame takes the one known now (none before framing).
    const WindowRect& r = *placement.normal;
    const FrameMargins frame = placement.frame.value_or(CurrentFrame());
    const QRect client(QPoint(r.left + frame.left, r.top + frame.top),
                       QPoint(r.right - 1 - frame.right, r.bottom - 1 - frame.bottom));
    form_.setGeometry(FittedOnScreen(client, frame));
  }
  if (const std::shared_ptr<QSize>& size = form_.Dialogs().file_dialog_size;
      size && placement.file_dialog_width > 0)
    *size = QSize(placement.file_dialog_width, placement.file_dialog_height);
  switch (placement.show_cmd) {
    case 2:
    case 6:
    case 7:
      form_.setWindowState(form_.windowState() | Qt::WindowMinimized);
      break;
    case 3:
      form_.setWindowState(form_.windowState() | Qt::WindowMaximized);
      break;
    default:
      break;
  }
  StoredFormValues values = ValuesFromForm();
  RestoreFormValues(*profile, values);
  ApplyValuesToForm(values);
}

void TFormStorage::SaveFormPlacement(bool destroying) {
  if (!restored_) return;
  saved_ = true;
  const std::string path = PathBytes(ini_file_name_);
  // Keys of the file that are not written again stay: start from it.
  std::optional<ProfileFile> profile = LoadProfileFile(path);
  if (!profile) profile = ProfileFile();

  FormPlacement placement;
  const Qt::WindowStates state = form_.windowState();
  if (state & Qt::WindowMinimized) {
    placement.show_cmd = 2;
    if (state & Qt::WindowMaximized) placement.flags = 2;  // restores to maximised
  } else if (state & Qt::WindowMaximized) {
    placement.show_cmd = 3;
  }
  QRect normal = form_.normalGeometry();
  if (!normal.isValid()) normal = form_.geometry();
  // The outer rectangle, and the frame that made it, so that the next
  // start can place the client area before the window is framed.
  placement.frame = CurrentFrame();
  const FrameMargins& m = placement.frame;
  const QRect outer = normal.adjusted(-m.left, -m.top, m.right, m.bottom);
  placement.normal =
      WindowRect{outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
  if (const std::shared_ptr<QSize>& size = form_.Dialogs().file_dialog_size; size && size->isValid()) {
    placement.file_dialog_width = size->width();
    placement.file_dialog_height = size->height();
  }
  placement.destroying = destroying;
  SaveFormState(*profile, placement, CurrentScreen(), ValuesFromForm());
  if (!SaveProfileFile(path, *profile))
    ReportHandlerError(&form_, QStringLiteral("nach %1 kann nicht geschrieben werden").arg(ini_file_name_));
}

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
    metrics.pixels_per_inch = qRound(screen->logicalDotsPerInch());
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
    form_.setGeometry(QRect(QPoint(r.left + frame.left, r.top + frame.top),
                            QPoint(r.right - 1 - frame.right, r.bottom - 1 - frame.bottom)));
  }
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
  placement.destroying = destroying;
  SaveFormState(*profile, placement, CurrentScreen(), ValuesFromForm());
  if (!SaveProfileFile(path, *profile))
    ReportHandlerError(&form_, QStringLiteral("nach %1 kann nicht geschrieben werden").arg(ini_file_name_));
}

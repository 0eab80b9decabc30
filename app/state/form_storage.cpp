#include "state/form_storage.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

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
    const WindowRect& r = *placement.normal;
    // The stored rectangle is the outer one; the frame is known once shown.
    const QSize frame = form_.frameGeometry().size() - form_.geometry().size();
    form_.move(r.left, r.top);
    form_.resize(QSize(r.right - r.left, r.bottom - r.top) - frame);
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
  const QRect frame = form_.frameGeometry();
  const QRect client = form_.geometry();
  QRect normal = form_.normalGeometry();
  if (!normal.isValid()) normal = client;
  const QRect outer = normal.adjusted(frame.left() - client.left(), frame.top() - client.top(),
                                      frame.right() - client.right(), frame.bottom() - client.bottom());
  placement.normal =
      WindowRect{outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
  placement.destroying = destroying;
  SaveFormState(*profile, placement, CurrentScreen(), ValuesFromForm());
  if (!SaveProfileFile(path, *profile))
    ReportHandlerError(&form_, QStringLiteral("nach %1 kann nicht geschrieben werden").arg(ini_file_name_));
}

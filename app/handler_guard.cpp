#include "handler_guard.h"

#include <QMessageBox>
#include <QWidget>

namespace {

HandlerErrorReporter& CurrentReporter() {
  static HandlerErrorReporter reporter;
  return reporter;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

void SetHandlerErrorReporter(HandlerErrorReporter reporter) { CurrentReporter() = std::move(reporter); }

void ReportHandlerError(QWidget* parent, const QString& text) noexcept {
  try {
    if (CurrentReporter())
      CurrentReporter()(parent, text);
    else
      ShowErrorBox(parent, text);
  } catch (...) {
    // Nothing is left to tell the user with; the program goes on.
  }
}

TGuardedApplication::TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunGuarded(qobject_cast<QWidget*>(receiver) ? static_cast<QWidget*>(receiver)->window() : nullptr,
             [&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "handlers/handler_guard.h"

#include <QMessageBox>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

HandlerErrorReporter& CurrentReporter() {
  static HandlerErrorReporter reporter;
  return reporter;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok, parent);
  box.exec();
}

// The text of the exception being handled.
QString EscapedErrorText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return QString::fromStdString(OutOfMemoryText());
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  } catch (...) {
    return QString::fromStdString(UnknownFailureText());
  }
}

}  // namespace

int ReportErrorLeavingMain(int& argc, char** argv) noexcept {
  try {
    const QString text = EscapedErrorText();
    std::fprintf(stderr, "%s: %s\n", kApplicationTitle, qPrintable(text));
    // Without any display an application object would end the program
    // on the spot; standard error has said it then.
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM")) {
      QApplication application(argc, argv);
      ReportHandlerError(nullptr, text);
    }
  } catch (...) {
    // Nothing is left to tell the user with.
  }
  return EXIT_FAILURE;
}

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

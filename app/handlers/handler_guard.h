// SPDX-License-Identifier: GPL-3.0-or-later
// Every handler of the window runs inside RunGuarded: an exception that
// escapes it ends the handler and is shown in a message box captioned
// with the application title, and the program goes on. Letting it cross
// Qt's event loop would be undefined behaviour.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

#include "run/failure_text.h"

class QWidget;

inline constexpr const char* kApplicationTitle = "Stempora";

// Shows the text of an escaped error. Tests replace the message box.
using HandlerErrorReporter = std::function<void(QWidget* parent, const QString& text)>;
// An empty reporter restores the message box.
void SetHandlerErrorReporter(HandlerErrorReporter reporter);
void ReportHandlerError(QWidget* parent, const QString& text) noexcept;

template <class Body>
void RunGuarded(QWidget* parent, Body&& body) noexcept {
  try {
    body();
  } catch (const std::exception& error) {
    ReportHandlerError(parent, QString::fromUtf8(error.what()));
  } catch (...) {
    ReportHandlerError(parent, QString::fromStdString(UnknownFailureText()));
  }
}

// A slot that runs form->handler() guarded; extra signal arguments are
// dropped, as the handlers take none.
template <class Form>
auto Guarded(Form* form, void (Form::*handler)()) {
  return [form, handler](auto&&...) { RunGuarded(form, [&] { (form->*handler)(); }); };
}

// For the handler of main's try block, with the exception that escaped
// main still being handled: says what it was in a message box (made with
// an application object of its own, the program's being gone by then)
// when a display can be had, and on standard error. Returns the exit
// status.
int ReportErrorLeavingMain(int& argc, char** argv) noexcept;

// The last line of defence for code outside the handlers (paint and other
// events): an exception that leaves an event is reported the same way.
class TGuardedApplication : public QApplication {
 public:
  TGuardedApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

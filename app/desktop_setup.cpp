// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_setup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "widgets/crisp_frame_style.h"

namespace {
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
}  // namespace

QIcon ProgramIcon() {
  // The icons sit in a static library, whose resource object the linker
  // would leave out unless something names it.
  Q_INIT_RESOURCE(program_icon);
  QIcon icon;
  for (const int size : kIconSizes)
    icon.addFile(QStringLiteral(":/icons/stempora-%1.png").arg(size), QSize(size, size));
  return icon;
}

QTranslator* LoadGermanQtTranslations(QApplication& application) {
  // qtbase holds the texts of the widgets' standard dialogs and menus;
  // Debian installs it into Qt's own translations folder.
  auto* translator = new QTranslator(&application);
  if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QApplication::installTranslator(translator);
  return translator;
}

void SetUpDesktopProgram(QApplication& application) {
  // The desktop's style, with Fusion's frames kept whole at fractional
  // scales.
  QApplication::setStyle(new TCrispFrameStyle());
  QApplication::setWindowIcon(ProgramIcon());
  // Lets the desktop match the window to its desktop entry (its icon and
  // name in task bars and docks).
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryName));
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  LoadGermanQtTranslations(application);
}

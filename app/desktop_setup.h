// SPDX-License-Identifier: GPL-3.0-or-later
// What the window program sets up for the Linux desktop before its window
// opens: the program icon, the desktop entry it belongs to, and Qt's own
// German texts for the standard dialogs.
#pragma once

class QApplication;
class QIcon;
class QTranslator;

// The name of the desktop entry (and the AppStream id) the window belongs
// to: dist/example.stempora.Stempora.desktop.
inline constexpr char kDesktopEntryName[] = "example.stempora.Stempora";

// The program icon in every size it is drawn in (16 to 256 pixels).
QIcon ProgramIcon();

// Loads Qt's German translations (buttons of message boxes, the file
// dialogs, context menus), whatever the user's locale: every other text of
// the window is German. Returns the installed translator, owned by the
// application, or nullptr when the translation files are missing; the
// dialogs then keep Qt's English texts.
QTranslator* LoadGermanQtTranslations(QApplication& application);

// Icon, desktop entry name, German translations, and Qt's own file dialogs
// instead of the desktop's, which would follow the user's locale.
void SetUpDesktopProgram(QApplication& application);

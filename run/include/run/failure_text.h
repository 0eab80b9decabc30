// SPDX-License-Identifier: GPL-3.0-or-later
// The German texts of what went wrong, for the run's log, the preview, the
// window's message boxes and stempora-batch alike. Each says one thing; the
// callers put them together, so a text that stands in several places reads
// the same in all of them.
#pragma once

#include <string>

#include "run/batch.h"

// The German text of a PIXKIT_REASON_* code, for the end of a failed load's
// or save's text ("... konnte nicht geladen werden! (<text>)").
std::string LoadFailureText(int reason);
std::string SaveFailureText(int reason);

// "Die Datei <path> konnte nicht geladen werden!", with " (<reason>)" after
// it in the second form. shown_path stands as given: the log passes it
// through LogPathText, a message box shows the name the dialog gave.
std::string LoadFailedText(const std::string& shown_path);
std::string LoadFailedText(const std::string& shown_path, int reason);
// "Die Datei <path> konnte nicht geschrieben werden! (<reason>)".
std::string SaveFailedText(const std::string& shown_path, int reason);
// The same with a reason of the run's own.
std::string SaveFailedText(const std::string& shown_path, const std::string& reason);

// "Ordner <level> ist ein symbolischer Link": a level below the target
// folder that the run will not follow.
std::string LinkedFolderText(const std::string& shown_level);

// "<path> übersprungen: dieser Dateityp wird nicht bearbeitet": a source
// whose extension the run does not stamp. shown_path as for LoadFailedText.
std::string SkippedTypeText(const std::string& shown_path);

// "Fehler: " before a failure text, as the log and a message box start it.
std::string ErrorText(const std::string& failure);

// "Nicht genügend Arbeitsspeicher".
std::string OutOfMemoryText();

// "Unbekannter Fehler": an error that brought no text of its own.
std::string UnknownFailureText();

// Why a run stopped half-way: out of memory, the error's own text, or
// "Unbekannter Fehler" when it had none.
std::string AbortReasonText(const BatchOutcome& outcome);

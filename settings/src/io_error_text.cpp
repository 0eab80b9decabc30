// SPDX-License-Identifier: GPL-3.0-or-later
#include "io_error_text.h"

#include <cerrno>

std::string IoErrorText(int error_number) {
  switch (error_number) {
    case ENOSPC:
      return "Der Datenträger ist voll";
    case EDQUOT:
      return "Das Speicherkontingent ist erschöpft";
    case EFBIG:
      return "Die Datei ist zu groß";
    case EACCES:
    case EPERM:
      return "Zugriff verweigert";
    case ENOENT:
      return "Der Ordner existiert nicht";
    case ENOTDIR:
      return "Ein Teil des Pfades ist kein Ordner";
    case EISDIR:
      return "Am Zielort liegt ein Ordner";
    case EROFS:
      return "Der Datenträger ist schreibgeschützt";
    case ENAMETOOLONG:
      return "Der Name ist zu lang";
    case EIO:
      return "Ein-/Ausgabefehler";
    default:
      return "Ein-/Ausgabefehler " + std::to_string(error_number);
  }
}

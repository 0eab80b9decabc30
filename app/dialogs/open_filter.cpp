// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/open_filter.h"

#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <iterator>

#include "run/output_formats.h"
#include "run/output_path.h"
#include "run/output_save.h"

namespace {

QStringList ConvertFilter(const QString& filter, const std::function<bool(const QString&)>& keep_pattern) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  static const QRegularExpression kTrailingList(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(kTrailingList);
    description = description.trimmed();
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString trimmed = pattern.trimmed();
      if (!trimmed.isEmpty() && keep_pattern(trimmed)) patterns << trimmed;
    }
    if (patterns.isEmpty()) continue;
    if (description.isEmpty()) description = patterns.join(QLatin1Char(' '));
    result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  return result;
}

// "*.jpg" stands for the files named x.jpg; "*.*" for any, which the run
// does not stamp.
bool RunStampsPattern(const QString& pattern, const ExportOptions& output) {
  if (!pattern.startsWith(QStringLiteral("*."))) return false;
  const QString name = QStringLiteral("x") + pattern.mid(1);
  return !name.contains(QLatin1Char('*')) &&
         SourceRowForJob(QFile::encodeName(name).toStdString(), output) != 0;
}

// The further types the library's own filter does not name.
QStringList further_patterns() {
  QStringList patterns;
  for (const FurtherSourceRow& row : kFurtherSources)
    for (const char* extension : row.extensions)
      if (extension != nullptr) patterns << QStringLiteral("*") + QLatin1String(extension);
  return patterns;
}

// "PNG, WebP, HEIC und AVIF".
QString further_captions() {
  QString text;
  for (size_t i = 0; i < std::size(kFurtherSources); ++i) {
    if (i > 0) text += i + 1 == std::size(kFurtherSources) ? QStringLiteral(" und ") : QStringLiteral(", ");
    text += QLatin1String(kFurtherSources[i].caption);
  }
  return text;
}

// "Alle Bilddateien (*.bmp *.jpg)" with the patterns it lacks added.
QString WithPatterns(const QString& entry, const QStringList& patterns) {
  const qsizetype open = entry.lastIndexOf(QLatin1Char('('));
  if (open < 0 || !entry.endsWith(QLatin1Char(')'))) return entry;
  QStringList listed =
      entry.mid(open + 1, entry.size() - open - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  for (const QString& pattern : patterns) {
    if (!listed.contains(pattern, Qt::CaseInsensitive)) listed << pattern;
  }
  return entry.left(open + 1) + listed.join(QLatin1Char(' ')) + QLatin1Char(')');
}

}  // namespace

QStringList ConvertDibOpenFilter(const QString& filter) {
  return ConvertFilter(filter, [](const QString&) { return true; });
}

QStringList ConvertSourceOpenFilter(const QString& filter, const ExportOptions& output) {
  QStringList entries =
      ConvertFilter(filter, [&output](const QString& pattern) { return RunStampsPattern(pattern, output); });
  if (!output.more_sources) return entries;
  const QStringList patterns = further_patterns();
  if (!entries.isEmpty()) entries[0] = WithPatterns(entries[0], patterns);
  entries << QStringLiteral("%1 (%2)").arg(further_captions(), patterns.join(QLatin1Char(' ')));
  return entries;
}

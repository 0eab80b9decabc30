// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/open_filter.h"

#include <QFile>
#include <QRegularExpression>
#include <functional>

#include "run/output_path.h"

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
bool RunStampsPattern(const QString& pattern) {
  if (!pattern.startsWith(QStringLiteral("*."))) return false;
  const QString name = QStringLiteral("x") + pattern.mid(1);
  return !name.contains(QLatin1Char('*')) && SourceExtensionRow(QFile::encodeName(name).toStdString()) != 0;
}

}  // namespace

QStringList ConvertDibOpenFilter(const QString& filter) {
  return ConvertFilter(filter, [](const QString&) { return true; });
}

QStringList ConvertSourceOpenFilter(const QString& filter) { return ConvertFilter(filter, RunStampsPattern); }

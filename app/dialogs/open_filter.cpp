// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/open_filter.h"

#include <QRegularExpression>

QStringList ConvertDibOpenFilter(const QString& filter) {
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
      if (!trimmed.isEmpty()) patterns << trimmed;
    }
    if (patterns.isEmpty()) continue;
    if (description.isEmpty()) description = patterns.join(QLatin1Char(' '));
    result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  return result;
}

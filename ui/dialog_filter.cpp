#include "dialog_filter.h"

#include <QRegularExpression>

namespace kelvane {
namespace {

QString QtEntry(const QString& description, QString patterns) {
  // Windows separates patterns with ";", Qt with blanks.
  patterns = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
  const QString bracketed = QStringLiteral("(%1)").arg(patterns);
  if (patterns.isEmpty() || description.endsWith(bracketed)) return description;
  if (description.isEmpty()) return bracketed;
  return QStringLiteral("%1 %2").arg(description, bracketed);
}

// The patterns of a Qt filter entry: the blank-separated words of its last
// bracketed group.
QStringList PatternsOf(const QString& entry) {
  const QRegularExpression trailingGroup(QStringLiteral("\\(([^()]*)\\)\\s*$"));
  const QRegularExpressionMatch match = trailingGroup.match(entry);
  if (!match.hasMatch()) return {QStringLiteral("*")};
  return match.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace

QString QtFilterFromPipeList(const QString& pipeList) {
  const QStringList parts = pipeList.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
    const QString entry = QtEntry(description, patterns);
    if (!entry.isEmpty()) entries << entry;
  }
  return entries.join(QStringLiteral(";;"));
}

QStringList DialogNameFilters(const QString& qtFilter) {
  QStringList filters;
  for (const QString& entry : qtFilter.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
    QStringList patterns = PatternsOf(entry);
    patterns.replaceInStrings(QRegularExpression(QStringLiteral("^\\*\\.\\*$")),
                              QStringLiteral("*"));
    filters << QStringLiteral("%1 (%2)").arg(entry.trimmed(), patterns.join(QLatin1Char(' ')));
  }
  return filters;
}

}  // namespace kelvane

#pragma once
// Reading printed output back: the text of each page of a PDF file, as
// pdftotext reads it, with its white space simplified.
#include <QProcess>
#include <QString>
#include <QStringList>

inline QStringList PdfPages(const QString& file) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
  if (!process.waitForFinished(20000) || process.exitCode() != 0) return {QStringLiteral("pdftotext failed")};
  QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
  if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
  for (QString& page : pages) page = page.simplified();
  return pages;
}

// The Word export of one report: building the document (the report's steps
// on the document model and its OpenDocument text) and the whole export to a
// .doc file, LibreOffice's start and conversion included. The difference of
// the two is LibreOffice's share.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "cp1250.h"
#include "framework.h"
#include "word_export.h"
#include "worddoc.h"

namespace {

TPrintFields ReportFields() {
  InitFrameworkTables();
  TPrintFields f;
  for (int s = 0; s < ScaleCount; ++s) {
    f.Scores[s] = 40 + 5 * s;
    f.ConsistencyTexts[s] = Utf8ToCp1250("střední");
  }
  f.PersonLines[0] = Utf8ToCp1250("Jana Nováková, žena, 17 let");
  f.PersonLines[1] = Utf8ToCp1250("Dosažené vzdělání: Základní škola");
  f.PersonLines[2] = Utf8ToCp1250("Předpokládané vzdělání: Gymnázium");
  f.CodeText = "SEC/SEA";
  for (int i = 0; i < 30; ++i) f.ProfessionLines.push_back(Utf8ToCp1250("Sociální pracovník**"));
  for (int i = 0; i < 30; ++i) {
    f.OtherProfessionLines.push_back(Utf8ToCp1250("Psycholog*"));
    f.OtherProfessionLevels.push_back(Utf8ToCp1250("VŠ/VOŠ"));
  }
  f.NoteLines = {Utf8ToCp1250("Zájem o zdravotnictví."), Utf8ToCp1250("Konzultace v červnu.")};
  return f;
}

void BM_BuildReportDocument(benchmark::State& state) {
  const TPrintFields f = ReportFields();
  for (auto _ : state) {
    TWordDocument doc;
    WriteReportDocument(f, doc);
    benchmark::DoNotOptimize(doc.FlatOpenDocument());
  }
}
BENCHMARK(BM_BuildReportDocument)->Unit(benchmark::kMillisecond);

void BM_ExportReportToWord(benchmark::State& state) {
  const TPrintFields f = ReportFields();
  QTemporaryDir dir;
  const std::string target = dir.filePath(QStringLiteral("report.doc")).toStdString();
  for (auto _ : state) ExportReportToWord(f, target);
}
// One export takes seconds, so a plain run measures one; --benchmark_min_time
// (in seconds) asks for as many as fit in that time.
BENCHMARK(BM_ExportReportToWord)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

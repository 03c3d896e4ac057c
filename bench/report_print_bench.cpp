// The printed report written into a PDF file through the printer object's
// PDF entry, full (four pages with notes) and simplified; and its parts, to
// show where the time goes: the layout alone on the recording canvas, the
// same job without the banner, and the banner alone on a PDF page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "canvas_painter.h"
#include "canvas_recording.h"
#include "pictures.h"
#include "printer.h"
#include "report_data.h"
#include "report_print.h"

namespace {

// A typical respondent's report, with ten lines of notes.
TPrintFields SampleFields() {
  TResultRecord r{};
  r.Name.assign("Jan Novak");
  r.Age = 15;
  r.Sex = sxMale;
  r.Education = edBasicSchool;
  r.ExpectedEducation = edSecondaryLeavingExam;
  const int answers[ScaleCount] = {2, 2, 3, 5, 4, 2};
  for (int k = 0; k < 60; ++k) r.ScoreSheet.Answers[k] = static_cast<std::int16_t>(answers[k % ScaleCount]);
  ComputeRawScores(r.ScoreSheet);
  const TReportData d = ComputeReportData(r, plSecondary, skPercentile);
  TPrintFields f;
  std::copy(std::begin(d.Scores), std::end(d.Scores), f.Scores);
  std::copy(std::begin(d.ConsistencyTexts), std::end(d.ConsistencyTexts), f.ConsistencyTexts);
  std::copy(std::begin(d.PersonLines), std::end(d.PersonLines), f.PersonLines);
  f.CodeText = d.CodeText;
  f.ProfessionLines = d.ProfessionLines;
  f.OtherProfessionLines = d.OtherProfessionLines;
  f.OtherProfessionLevels = d.OtherProfessionLevels;
  f.ScaleRange = d.ScaleRange;
  f.ScaleSpread = d.ScaleSpread;
  for (int k = 0; k < 10; ++k)
    f.NoteLines.push_back(
        "Respondent projevil zajem o praci s lidmi i o techniku; doporuceno doplnit rozhovor "
        "o moznostech studia a o zkusenostech z brigad. Radek " +
        std::to_string(k + 1) + ".");
  return f;
}

void ChoosePdf() {
  Printer().SetPrinterIndex(static_cast<int>(Printer().Printers().size()) - 1);
}

void BM_PrintReportToPdf(benchmark::State& state) {
  const bool simplified = state.range(0) == 1;
  const QImage banner = state.range(1) == 1 ? Picture("print_banner") : QImage();
  const TPrintFields fields = SampleFields();
  QTemporaryDir dir;
  ChoosePdf();
  const QString file = dir.filePath(QStringLiteral("report.pdf"));
  for (auto _ : state) PrintReportJob(fields, banner, simplified, file);
  state.counters["bytes"] = static_cast<double>(QFileInfo(file).size());
}
BENCHMARK(BM_PrintReportToPdf)
    ->ArgNames({"simplified", "banner"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

void BM_DrawReportRecorded(benchmark::State& state) {
  const TPrintFields fields = SampleFields();
  const QImage banner = Picture("print_banner");
  for (auto _ : state) {
    TRecordingCanvas canvas(4960, 7016, 600);
    DrawReport(
        canvas, 4960, 7016, [&] { canvas.NewPage(); }, fields, banner, state.range(0) == 1);
    benchmark::DoNotOptimize(canvas.Calls().data());
  }
}
BENCHMARK(BM_DrawReportRecorded)->ArgName("simplified")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BannerOnPdfPage(benchmark::State& state) {
  const QImage banner = Picture("print_banner");
  for (auto _ : state) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    {
      TPainterCanvas canvas(writer);
      canvas.StretchDraw(QRect(0, 0, 4960, 830), banner);
    }
    benchmark::DoNotOptimize(buffer.data().constData());
  }
}
BENCHMARK(BM_BannerOnPdfPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InitFrameworkTables();
  InitItems();
  InitNorms();
  InitProfessions();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

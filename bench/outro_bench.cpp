// The results screen on screen for a record, and the test run's own work
// from the respondent's last click to the results screen on screen.
//   BM_OpenResultsScreen: the screen shown for a record (its show handler's
//     computation, chart and lists) up to its first paint.
//   BM_RunEndToResults: scoring the answers, storing the record in a
//     database of 1000 respondents, handing it with its notes to the results
//     screen and that screen's opening up to its first paint (the closing
//     picture, which waits for the counsellor, is not included).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>

#include "datetime.h"
#include "framework.h"
#include "notes.h"
#include "outro.h"
#include "paint_watcher.h"
#include "print.h"
#include "testrun.h"

namespace {

void CreateWindows() {
  if (OutroForm) return;
  InitFrameworkTables();
  InitContentTables();
  CreateTestRunForms();
  CreateForm(PrintForm);
  CreateForm(OutroForm);
}

TResultRecord AnsweredRecord() {
  const int base[ScaleCount] = {4, 2, 3, 5, 4, 1};
  TResultRecord r{};
  InitResultRecord(r);
  r.Name.assign("Jana Novakova");
  r.Sex = sxFemale;
  r.Age = 16;
  r.Education = edSecondaryLeavingExam;
  r.ExpectedEducation = edUniversity;
  for (int i = 0; i < ItemCount; ++i)
    r.ScoreSheet.Answers[i] = static_cast<std::int16_t>(std::clamp(base[i % 6] + (i / 6) % 3 - 1, 1, 5));
  return r;
}

// Shows the results screen and waits for its first paint; hides it again.
void ShowAndPaint() {
  PaintWatcher watcher;
  OutroForm->hexImage->installEventFilter(&watcher);
  OutroForm->show();
  while (!watcher.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
  OutroForm->hexImage->removeEventFilter(&watcher);
}

void BM_OpenResultsScreen(benchmark::State& state) {
  CreateWindows();
  TResultRecord r = AnsweredRecord();
  ComputeRawScores(r.ScoreSheet);
  OutroForm->graphComboBox->setCurrentIndex(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    OutroForm->ResultRecord = r;
    ShowAndPaint();
    state.PauseTiming();
    OutroForm->hide();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  OutroForm->graphComboBox->setCurrentIndex(0);
}
BENCHMARK(BM_OpenResultsScreen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RunEndToResults(benchmark::State& state) {
  CreateWindows();
  QTemporaryDir dir;
  DatabaseFileName = dir.filePath(QStringLiteral("zovi.db")).toStdString();
  {
    std::ofstream db(DatabaseFileName, std::ios::binary);
    for (int i = 0; i < 1000; ++i) {
      TResultRecord stored = AnsweredRecord();
      stored.Id = i + 1;
      ComputeRawScores(stored.ScoreSheet);
      db.write(reinterpret_cast<const char*>(&stored), sizeof stored);
    }
  }
  const TResultRecord answered = AnsweredRecord();
  for (auto _ : state) {
    TResultRecord R = answered;
    ComputeRawScores(R.ScoreSheet);
    R.ScoreSheet.TestDate = Now();
    AppendRecord(R);
    LoadNotes(*OutroForm->NoteMemo, R);
    OutroForm->ResultRecord = R;
    if (!IsScorableSheet(OutroForm->ResultRecord)) state.SkipWithError("the record cannot be evaluated");
    ShowAndPaint();
    state.PauseTiming();
    OutroForm->hide();
    QApplication::processEvents();
    if (truncate(DatabaseFileName.c_str(), 1000 * static_cast<off_t>(sizeof(TResultRecord))) != 0)
      state.SkipWithError("cannot reset the database");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RunEndToResults)->Unit(benchmark::kMillisecond);

}  // namespace

// The application lives in main, so it ends before the toolkit's own
// objects are torn down at exit.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The list of stored respondents over a database of 10,000 records: the
// window shown with its list sorted by name (up to its first paint), a re-sort
// by test date, and a record opened in the results screen; each against the
// time of reading the database file once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>
#include <random>
#include <string>

#include "dbbrowser.h"
#include "forms.h"
#include "framework.h"
#include "info.h"
#include "outro.h"
#include "paint_watcher.h"
#include "print.h"
#include "testrun.h"

namespace {

constexpr int RecordCount = 10000;

// Surnames and first names with and without diacritics, in code page 1250.
void WriteDatabase(const std::string& fileName) {
  const char* surnames[] = {"Nov\xe1k", "\xc8\x65rn\xfd", "Dvo\xf8\xe1k", "\x8a\x9d\x61stn\xfd",
                            "Adamec",   "Zelenka",        "Proch\xe1zka", "Bene\x9a",
                            "Hor\xe1k", "Ku\xe8\x65ra",   "novotn\xfd"};
  const char* firstNames[] = {"Jana", "Petr", "Tom\xe1\x9a", "Eli\x9aka", "Ond\xf8\x65j", "Michal", "Lucie"};
  std::mt19937 random(7);
  std::string bytes(static_cast<std::size_t>(RecordCount) * RecordSize, '\0');
  for (int i = 0; i < RecordCount; ++i) {
    TResultRecord r{};
    r.Name.assign(std::string(surnames[random() % std::size(surnames)]) + " " +
                  firstNames[random() % std::size(firstNames)] + " " + std::to_string(random() % 1000));
    r.ScoreSheet.TestDate = 39000.0 + static_cast<double>(random() % 5000000) / 1000.0;
    r.Sex = static_cast<TSex>(random() % 2);
    r.Education = static_cast<TEducation>(random() % 7);
    for (auto& answer : r.ScoreSheet.Answers) answer = static_cast<std::int16_t>(1 + random() % 5);
    ComputeRawScores(r.ScoreSheet);
    r.Id = i + 1;
    r.UniqueId.assign(std::string(50, static_cast<char>('a' + i % 26)) + std::to_string(i));
    std::memcpy(bytes.data() + static_cast<std::size_t>(i) * RecordSize, &r, RecordSize);
  }
  TRecordFile file(fileName, TRecordFileMode::Create, RecordSize);
  file.Write(bytes.data(), RecordCount);
  file.Close();
}

void ShowAndPaint() {
  PaintWatcher watcher;
  DatabaseForm->ListView->viewport()->installEventFilter(&watcher);
  DatabaseForm->show();
  while (!watcher.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
  DatabaseForm->ListView->viewport()->removeEventFilter(&watcher);
}

void BM_ReadDatabaseOnce(benchmark::State& state) {
  for (auto _ : state) {
    TRecordFile database(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
    unsigned sum = 0;
    database.Scan([&](const unsigned char* record, std::int64_t) {
      sum += record[0];
      return true;
    });
    database.Close();
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadDatabaseOnce)->Unit(benchmark::kMillisecond);

void BM_ShowBrowserSortedByName(benchmark::State& state) {
  for (auto _ : state) {
    ShowAndPaint();
    state.PauseTiming();
    DatabaseForm->hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShowBrowserSortedByName)->Unit(benchmark::kMillisecond);

void BM_ResortByDate(benchmark::State& state) {
  ShowAndPaint();
  for (auto _ : state) {
    DatabaseForm->ListViewColumnClick(1);
    QApplication::processEvents();
  }
  DatabaseForm->hide();
}
BENCHMARK(BM_ResortByDate)->Unit(benchmark::kMillisecond);

// From the click on "Zobrazit report" to the results screen painted with
// the record; the counter "round_trip_ms" adds the closing, when the notes are
// stored and the record rewritten.
class TOpenedWatcher : public QObject {
 public:
  QElapsedTimer Clock;
  double OpenedMs = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && OpenedMs == 0) {
      OpenedMs = Clock.nsecsElapsed() / 1e6;
      QTimer::singleShot(0, OutroForm, [] { OutroForm->closebuttonimageClick(); });
    }
    return false;
  }
};

void BM_OpenRecordInResultsScreen(benchmark::State& state) {
  TOpenedWatcher watcher;
  OutroForm->installEventFilter(&watcher);
  ShowAndPaint();
  DatabaseForm->ListView->Select(DatabaseForm->ListView->Count() - 1);
  double roundTrip = 0;
  for (auto _ : state) {
    watcher.OpenedMs = 0;
    watcher.Clock.start();
    DatabaseForm->ReportButtonClick();
    roundTrip = watcher.Clock.nsecsElapsed() / 1e6;
    state.SetIterationTime(watcher.OpenedMs / 1000.0);
  }
  state.counters["round_trip_ms"] = roundTrip;
  DatabaseForm->hide();
  OutroForm->removeEventFilter(&watcher);
}
BENCHMARK(BM_OpenRecordInResultsScreen)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InitFrameworkTables();
  QTemporaryDir dir;
  DatabaseFileName = dir.filePath(QStringLiteral("zovi.db")).toStdString();
  InitContentTables();
  WriteDatabase(DatabaseFileName);  // scored with the item table
  CreateTestRunForms();
  CreateForm(DatabaseForm);
  CreateForm(InfoForm);
  CreateForm(PrintForm);
  CreateForm(OutroForm);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  FreeForms();
  return 0;
}

// The questionnaire's page turn and the showing of the personal-data form, on
// the platform the program runs on (offscreen unless QT_QPA_PLATFORM says
// otherwise). A page turn frees the 66 controls of a page, builds the next
// page and paints the window; its counters say where the time goes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>

#include "forms.h"
#include "framework.h"
#include "input.h"
#include "paint_watcher.h"
#include "test.h"
#include "testrun.h"

namespace {

void BM_PageTurn(benchmark::State& state) {
  TTestForm* f = TestForm;
  f->StartTest(sxMale, true);
  f->show();
  // The pointer rests on Next, as after a click on it.
  QCursor::setPos(f->nextbuttonimage->mapToGlobal(f->nextbuttonimage->rect().center()));
  QApplication::processEvents();
  double clear = 0, build = 0, paint = 0;
  int step = 1;
  for (auto _ : state) {
    // Forward through the pages and back again, never past the last page.
    if (f->CurrentPage + step < 1 || f->CurrentPage + step > PageCount) step = -step;
    QElapsedTimer timer;
    timer.start();
    f->SavePageAnswers();
    f->ClearPage();
    const qint64 cleared = timer.nsecsElapsed();
    f->CurrentPage += step;
    f->ShowPage();
    const qint64 built = timer.nsecsElapsed();
    f->repaint();  // the whole window, as the page change shows it
    const qint64 painted = timer.nsecsElapsed();
    clear += cleared / 1e6;
    build += (built - cleared) / 1e6;
    paint += (painted - built) / 1e6;
  }
  f->hide();
  f->ClearPage();
  state.counters["free_ms"] = benchmark::Counter(clear, benchmark::Counter::kAvgIterations);
  state.counters["build_ms"] = benchmark::Counter(build, benchmark::Counter::kAvgIterations);
  state.counters["paint_ms"] = benchmark::Counter(paint, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PageTurn)->Unit(benchmark::kMillisecond);

void BM_ShowPersonalDataForm(benchmark::State& state) {
  TInputForm* f = InputForm;
  PaintWatcher watcher;
  f->Image1->installEventFilter(&watcher);
  const auto showAndPaint = [&] {
    watcher.painted = false;
    f->show();
    while (!watcher.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
  };
  // The first showing creates the window on the platform; the later ones reuse it.
  static double first = -1;
  if (first < 0) {
    QElapsedTimer timer;
    timer.start();
    showAndPaint();
    first = timer.nsecsElapsed() / 1e6;
    f->hide();
  }
  for (auto _ : state) {
    showAndPaint();
    state.PauseTiming();
    f->hide();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["first_show_ms"] = first;
  f->Image1->removeEventFilter(&watcher);
}
BENCHMARK(BM_ShowPersonalDataForm)->Unit(benchmark::kMillisecond);

}  // namespace

// The application lives in main, so it ends before the toolkit's own
// objects are torn down at exit.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InitFrameworkTables();
  InitItems();
  InitPages();
  CreateTestRunForms();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  FreeForms();
  return 0;
}

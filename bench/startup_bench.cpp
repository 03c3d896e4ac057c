// Start-up of the main program up to the first painted main window: the
// engine's tables, the application, every window with its decoded pictures,
// and the first paint. Start-up happens once per process, so each step is
// measured once, in the order the program runs them, and reported as a
// counter (milliseconds); the benchmark's own time is the whole start-up.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>

#include "forms.h"
#include "framework.h"
#include "main.h"
#include "paint_watcher.h"

namespace {

void BM_StartUpToFirstPaint(benchmark::State& state) {
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  static int argc = 1;
  static char name[] = "zovi";
  static char* argv[] = {name, nullptr};
  for (auto _ : state) {
    QElapsedTimer total, step;
    total.start();
    step.start();
    InitFrameworkTables();
    const double tables = step.nsecsElapsed() / 1e6;
    step.restart();
    QApplication app(argc, argv);
    const double application = step.nsecsElapsed() / 1e6;
    step.restart();
    CreateZoviForms();  // the main window runs its start-up work and builds the engine tables
    const double windows = step.nsecsElapsed() / 1e6;
    step.restart();
    PaintWatcher watcher;
    MainForm->BackImage->installEventFilter(&watcher);
    MainForm->ShowCentred();
    while (!watcher.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double paint = step.nsecsElapsed() / 1e6;
    const double all = total.nsecsElapsed() / 1e6;
    state.SetIterationTime(all / 1000.0);
    state.counters["tables_ms"] = tables;
    state.counters["application_ms"] = application;
    state.counters["windows_ms"] = windows;
    state.counters["first_paint_ms"] = paint;
    state.counters["total_ms"] = all;
    MainForm->BackImage->removeEventFilter(&watcher);
    FreeForms();
  }
}
BENCHMARK(BM_StartUpToFirstPaint)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

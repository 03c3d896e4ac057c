// Start-up of the remote program up to the first splash page painted: the
// engine's tables, the application, every window with its decoded pictures,
// the main window shown, and the run's first page on the screen. Start-up
// happens once per process, so it is measured once and reported as counters
// (milliseconds); the benchmark's own time is the whole start-up.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include "forms.h"
#include "framework.h"
#include "intro.h"
#include "rmain.h"

namespace {

// Notes the first paint of any part of the splash page window.
class PaintWatcher : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (!painted && e->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == IntroForm)
      painted = true;
    return false;
  }
};

void BM_RemoteStartUpToFirstSplashPage(benchmark::State& state) {
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  static int argc = 1;
  static char name[] = "zovirem";
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
    CreateZoviremForms();
    const double windows = step.nsecsElapsed() / 1e6;
    step.restart();

    PaintWatcher watcher;
    app.installEventFilter(&watcher);
    double paint = 0, all = 0;
    // Once the page is painted, the counsellor's Ctrl+J ends the picture pages
    // and the personal data, which ends the run and the program.
    QTimer ctrlJ;
    QObject::connect(&ctrlJ, &QTimer::timeout, [&] {
      if (!watcher.painted) return;
      if (all == 0) {
        paint = step.nsecsElapsed() / 1e6;
        all = total.nsecsElapsed() / 1e6;
      }
      if (QWidget* modal = QApplication::activeModalWidget()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier);
        QApplication::sendEvent(modal->focusWidget() ? modal->focusWidget() : modal, &press);
      }
    });
    ctrlJ.start(0);
    RemoteMainForm->show();
    QApplication::exec();
    app.removeEventFilter(&watcher);

    state.SetIterationTime(all / 1000.0);
    state.counters["tables_ms"] = tables;
    state.counters["application_ms"] = application;
    state.counters["windows_ms"] = windows;
    state.counters["first_splash_paint_ms"] = paint;
    state.counters["total_ms"] = all;
    FreeForms();
  }
}
BENCHMARK(BM_RemoteStartUpToFirstSplashPage)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

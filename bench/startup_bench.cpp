// Start-up of the main program up to the first painted main window: the
// engine's tables, the application, every window, and the first paint with
// the main window's pictures decoded.
#include "main.h"
#include "paint_watcher.h"
#include "startup_timing.h"

namespace {

void BM_StartUpToFirstPaint(benchmark::State& state) {
  // The main window runs its start-up work and builds the engine tables while it is created.
  TimeStartUp(
      state, "zovi", CreateZoviForms,
      [](const std::function<void()>& painted) {
        PaintWatcher watcher;
        MainForm->BackImage->installEventFilter(&watcher);
        MainForm->ShowCentred();
        while (!watcher.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
        painted();
        MainForm->BackImage->removeEventFilter(&watcher);
      },
      "first_paint_ms");
}
BENCHMARK(BM_StartUpToFirstPaint)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Start-up of the remote program up to the first splash page painted: the
// engine's tables, the application, every window, the main window shown, and
// the run's first page on the screen with its pictures decoded.
#include <QKeyEvent>
#include <QTimer>

#include "intro.h"
#include "paint_watcher.h"
#include "rmain.h"
#include "startup_timing.h"

namespace {

void BM_RemoteStartUpToFirstSplashPage(benchmark::State& state) {
  TimeStartUp(
      state, "zovirem", CreateZoviremForms,
      [](const std::function<void()>& painted) {
        PaintWatcher watcher;  // on the first splash page
        IntroForm->Image2->installEventFilter(&watcher);
        // Once the page is painted, the counsellor's Ctrl+J ends the picture
        // pages and the personal data, which ends the run and the program.
        QTimer ctrlJ;
        QObject::connect(&ctrlJ, &QTimer::timeout, [&] {
          if (!watcher.painted) return;
          painted();
          if (QWidget* modal = QApplication::activeModalWidget()) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier);
            QApplication::sendEvent(modal->focusWidget() ? modal->focusWidget() : modal, &press);
          }
        });
        ctrlJ.start(0);
        RemoteMainForm->show();
        QApplication::exec();
        IntroForm->Image2->removeEventFilter(&watcher);
      },
      "first_splash_paint_ms");
}
BENCHMARK(BM_RemoteStartUpToFirstSplashPage)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

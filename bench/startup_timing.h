#pragma once
// A program's start-up timed step by step, in the order the program runs
// them: the engine's constant tables, the application object, every window
// (a window's pictures are decoded when it is first drawn), and the program's
// first picture on the screen with the pictures it shows.
// Start-up happens once per process, so each step is measured once and
// reported as a counter (milliseconds); the benchmark's own time is the whole
// start-up.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <functional>

#include "forms.h"
#include "framework.h"

// `createForms` creates the program's windows; `showFirst` shows the program
// until its first picture is painted and calls `painted` at that moment. The
// last step is reported as the counter `paintCounter`.
inline void TimeStartUp(benchmark::State& state, const char* program, void (*createForms)(),
                        const std::function<void(const std::function<void()>& painted)>& showFirst,
                        const char* paintCounter) {
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  static int argc = 1;
  static char* argv[] = {const_cast<char*>(program), nullptr};
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
    createForms();
    const double windows = step.nsecsElapsed() / 1e6;
    step.restart();
    double paint = 0, all = 0;
    showFirst([&] {
      if (all != 0) return;
      paint = step.nsecsElapsed() / 1e6;
      all = total.nsecsElapsed() / 1e6;
    });
    state.SetIterationTime(all / 1000.0);
    state.counters["tables_ms"] = tables;
    state.counters["application_ms"] = application;
    state.counters["windows_ms"] = windows;
    state.counters[paintCounter] = paint;
    state.counters["total_ms"] = all;
    FreeForms();
  }
}

#pragma once
// Notes the first paint of the widgets it watches, for benchmarks that time a
// window up to the moment it is on screen.
#include <QEvent>
#include <QObject>

class PaintWatcher : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }
};

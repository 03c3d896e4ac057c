#pragma once
// Notes when a widget it watches receives its first paint event.
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

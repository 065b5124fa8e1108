#pragma once
// The moment both start-up benchmark children report, by the same rule: the first paint of the
// main window has been drawn (the backing store flushed) and the event loop is back, idle. The
// child then prints "painted <CPU seconds> <peak resident KiB>" of its own process so far and ends
// at once, without the close: what the close costs is no part of the start.

#include <sys/resource.h>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace ravlek::bench {

class FirstPaintReport : public QObject {
 public:
  // Watches `window` and its children; boxes shown before or beside it do not count.
  explicit FirstPaintReport(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
      painted_ = true;
      // A zero timer runs once the whole repaint this paint belongs to has been flushed.
      QTimer::singleShot(0, [] { Report(); });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  static void Report() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("painted %.6f %ld\n", cpu, usage.ru_maxrss);
    std::fflush(stdout);
    std::_Exit(0);
  }

  QWidget* window_;
  bool painted_ = false;
};

}  // namespace ravlek::bench

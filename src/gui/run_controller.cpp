#include "gui/run_controller.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <algorithm>

namespace {
constexpr int kProgressMaximum = 24600;
constexpr int kRepaintMilliseconds = 50;
}  // namespace

RunController::RunController(QProgressBar* bar) : bar_(bar) {
  bar_->setRange(0, kProgressMaximum);
  bar_->setTextVisible(false);
  bar_->hide();
}

// The bar follows the count of lines read; the window repaints every 50 ms from the start
// (a run shorter than that shows only its end), while user input waits until the run ends.
h7::RunResult RunController::run(const h7::RunInputs& in) {
  QElapsedTimer clock;
  clock.start();
  qint64 lastRepaint = 0;
  auto progress = [&](const h7::RunProgressInfo& info) {
    if (info.lines == 0) {
      bar_->setValue(0);
      bar_->show();
    }
    if (clock.elapsed() - lastRepaint < kRepaintMilliseconds) return;
    bar_->setValue(int(std::min<long long>(info.lines, kProgressMaximum)));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    lastRepaint = clock.elapsed();
  };
  h7::RunResult result = h7::runExtraction(in, progress);
  bar_->hide();
  return result;
}

// The main screen's run: the extraction in the screen's thread, its progress bar following
// the count of lines read. The screen reads the fields and shows the result; this runs.
#pragma once

#include "extract/run.h"

class QProgressBar;

class RunController {
 public:
  explicit RunController(QProgressBar* bar);  // the bar's range set here, hidden between runs
  h7::RunResult run(const h7::RunInputs& in);

 private:
  QProgressBar* bar_;
};

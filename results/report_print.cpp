#include "report_print.h"

#include <stdexcept>

bool PrintReport(const TPrintFields&, const QImage&, bool, QWidget*) {
  throw std::runtime_error("Tisk reportu zatím není k dispozici.");
}

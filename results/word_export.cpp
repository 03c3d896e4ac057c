#include "word_export.h"

#include <stdexcept>

void ExportReportToWord(const TPrintFields&, const std::string&) {
  throw std::runtime_error("Export do dokumentu Word zatím není k dispozici.");
}

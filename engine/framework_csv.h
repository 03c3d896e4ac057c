#pragma once
// The CSV export of the database: one semicolon-separated line per stored
// record, for a spreadsheet, in code page 1250 with CR LF line ends.
#include <string>

#include "framework_record.h"

// Writes a header line and one line for each whole record of the database
// file (DatabaseFileName), in file order, to the named text file, replacing a
// file of that name only when the new one is complete (wholefile.h). Percentiles, T-scores and the interest code are
// recomputed from the stored raw scores; the database is only read.
// A failed file step throws EInOutError: a missing database fails with code 2
// before the text file is touched. A target that is the database file itself
// is refused with EDatabaseError, nothing touched.
void ExportCsv(const std::string& fileName);

// The header line, and one record's line appended to out: 86 fields, each
// but the last followed by ";", code page 1250, ended by CR LF. A field whose
// text holds ";", a double quote, CR or LF is enclosed in double quotes with
// its double quotes doubled; every other field is written as it is.
// A record without norms (a Sex other than 0 or 1, or a raw score outside
// 10..50) keeps its stored fields and leaves the percentile, T-score and code
// fields empty.
std::string CsvHeaderLine();
void AppendCsvLine(std::string& out, const TResultRecord& r);

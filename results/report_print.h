#pragma once
// The printed report of the print dialog: the full report (three pages, four
// with notes) or the one-page simplified report, on the current printer or
// into a PDF file.
#include <QImage>
#include <QWidget>

#include "print_fields.h"

// Prints the report of `fields` with `banner` across the top of every page
// on the toolkit printer's current printer. Returns false when the
// counsellor cancelled (the PDF file's save dialog); throws on failure.
bool PrintReport(const TPrintFields& fields, const QImage& banner, bool simplified, QWidget* parent);

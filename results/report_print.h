#pragma once
// The printed report of the print dialog: the full report (three pages, four
// with notes) or the one-page simplified report, on the current printer or
// into a PDF file.
//
// The report is drawn only through the toolkit canvas, in device pixels of
// the page it is drawn on, so the layout follows the printer's resolution
// and tests draw it on a recording canvas of an A4 page at 600 dpi.
//
// Nothing is lost off the bottom of a page, and nothing is drawn below it: a
// paragraph or a list line that would run below it continues on a following
// page that repeats the page's head (the captions then count those pages
// too), and a heading goes there together with the first line after it. The
// list of professions with other education requirements keeps its deliberate
// end at 0.9 of the page height. A person line wider than the text (a long
// name) is wrapped at blanks like a paragraph.
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

#include "canvas.h"
#include "print_fields.h"

// A scale score as the report prints it: rounded to hundredths (halves to
// the even neighbour), a decimal comma, no trailing zeros: 48.37 -> "48,37",
// 52.125 -> "52,12", 50.0 -> "50".
QString FormatReportScore(double score);

// Draws the report of `fields` on pages of pageWidth x pageHeight device
// pixels, starting on the canvas's current page; `newPage` moves the canvas
// to a fresh page. Returns the number of pages drawn.
int DrawReport(TCanvas& canvas, int pageWidth, int pageHeight, const std::function<void()>& newPage,
               const TPrintFields& fields, const QImage& banner, bool simplified);

// Prints the report on the toolkit printer's current printer; for the PDF
// entry into `pdfFileName`. A job that fails midway is aborted (nothing is
// printed, no file is left) and the failure thrown with its cause.
void PrintReportJob(const TPrintFields& fields, const QImage& banner, bool simplified, const QString& pdfFileName);

// Prints the report of `fields` with `banner` across the top of every page
// on the toolkit printer's current printer; for the PDF entry a save dialog
// asks for the file first. Returns false when the counsellor cancelled (the
// PDF file's save dialog); throws on failure.
bool PrintReport(const TPrintFields& fields, const QImage& banner, bool simplified, QWidget* parent);

// Writes both reports of `fields` as "report-full.pdf" and
// "report-simple.pdf" into `folder` through the printer's PDF entry; the
// current printer is kept.
void WriteReportPdfs(const TPrintFields& fields, const QImage& banner, const QString& folder);

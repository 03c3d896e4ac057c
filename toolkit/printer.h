#pragma once
// The printer object: the print system's printers and one more entry,
// "Uložit jako PDF", which is always there (and the only one on a machine
// without printers); the current printer; the platform's printer-setup
// dialog; and print jobs drawn through the canvas in device pixels.
//
// Every job is first drawn into a PDF document in memory (A4 unless the
// setup dialog chose another paper, 600 dots per inch; for a printer its
// printable area, for the PDF entry the whole sheet). EndDoc then hands the
// document to the print system, or writes the PDF file whole (temporary file
// renamed over the target). So an aborted or failed job never prints a part
// of the report and never leaves a partial file: nothing leaves the program
// before EndDoc, and Abort() just drops the document.
//
// Failures throw EPrinterError with a Czech message that names the printer
// or file and the cause; the job is aborted first.
#include <QPrinter>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>

#include "canvas.h"

class EPrinterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the list of printers comes from: the print system (CUPS, through
// Qt) for the program, a fixed list in tests.
struct TPrinterSource {
  std::function<QStringList()> Names;    // in the print system's order
  std::function<QString()> DefaultName;  // empty when there is none
  static TPrinterSource System();
};

class TPrinter {
 public:
  explicit TPrinter(TPrinterSource source);
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  static QString PdfEntry();  // "Uložit jako PDF"

  // The printers, read anew from the print system, then PdfEntry().
  QStringList Printers();
  // The current printer's index in the last list read (read now if none was).
  int PrinterIndex();
  // An index of that list. -1 (nothing chosen, a name typed into a chooser)
  // selects the default printer or, without one, the PDF entry. An index past
  // the list throws EPrinterError.
  void SetPrinterIndex(int index);
  bool IsPdf();
  QString PrinterName();  // the current entry's text

  // The platform's printer-setup dialog for the current printer: paper,
  // orientation, copies, two-sided printing, or another printer (which then
  // becomes current). Cancelled, it changes nothing.
  void SetupDialog(QWidget* parent);

  // Starts a job on the current printer; for the PDF entry `pdfFileName` is
  // the file to write (required).
  void BeginDoc(const QString& pdfFileName = {});
  void NewPage();
  // Ends the job: prints it or writes the PDF file.
  void EndDoc();
  // Drops the job; nothing is printed or written. No job: nothing happens.
  void Abort();
  bool Printing() const { return job_ != nullptr; }

  // The job's drawing surface and its page size in device pixels.
  TCanvas& Canvas();
  int PageWidth() const;
  int PageHeight() const;

  static constexpr int Resolution = 600;  // dots per inch of every job

 private:
  struct TJob;
  void EnsureListed();
  QString Fallback() const;
  QPrinter& Settings();
  TJob& Job() const;
  void Submit(const TJob& job);
  void Save(const TJob& job);

  TPrinterSource source_;
  QStringList list_;
  bool listed_ = false;
  QString current_;  // the printer's name; empty for the PDF entry
  std::unique_ptr<QPrinter> settings_;
  bool configured_ = false;
  QString configuredFor_;
  std::unique_ptr<TJob> job_;
};

// The program's one printer object, on the print system's printers.
TPrinter& Printer();

// Aborts a job that is still running when the guard goes (an error left the
// drawing midway).
class TPrintJobGuard {
 public:
  explicit TPrintJobGuard(TPrinter& printer) : printer_(printer) {}
  ~TPrintJobGuard() { printer_.Abort(); }
  TPrintJobGuard(const TPrintJobGuard&) = delete;
  TPrintJobGuard& operator=(const TPrintJobGuard&) = delete;

 private:
  TPrinter& printer_;
};

#include "printer.h"

#include <cups/cups.h>

#include <QBuffer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <optional>

#include "canvas_painter.h"
#include "recordfile.h"
#include "wholefile.h"

struct TPrinter::TJob {
  QString Printer;  // empty: the PDF entry
  QString PdfFile;
  QBuffer Buffer;
  std::optional<QPdfWriter> Writer;
  std::optional<TPainterCanvas> Canvas;
};

namespace {

[[noreturn]] void Fail(const QString& message) {
  throw EPrinterError(message.toStdString());
}

// The cause of a failed file step, as the error box says it.
QString FileErrorCause(int code) {
  switch (code) {
    case 2:
      return QStringLiteral("složka nebo soubor neexistuje");
    case 3:
      return QStringLiteral("neplatný název souboru");
    case 5:
      return QStringLiteral("přístup odepřen");
    case 101:
      return QStringLiteral("disk je plný");
    default:
      return QStringLiteral("chyba vstupu/výstupu %1").arg(code);
  }
}

QString PrintSystemCause() {
  return QString::fromUtf8(cupsLastErrorString());
}

}  // namespace

TPrinterSource TPrinterSource::System() {
  return TPrinterSource{[] { return QPrinterInfo::availablePrinterNames(); },
                        [] { return QPrinterInfo::defaultPrinterName(); }};
}

TPrinter::TPrinter(TPrinterSource source) : source_(std::move(source)) {}

TPrinter::~TPrinter() = default;

QString TPrinter::PdfEntry() {
  return QStringLiteral("Uložit jako PDF");
}

QStringList TPrinter::Printers() {
  const bool first = !listed_;
  list_ = source_.Names();
  list_.removeAll(QString());
  list_ << PdfEntry();
  listed_ = true;
  if (first) current_ = Fallback();
  return list_;
}

void TPrinter::EnsureListed() {
  if (!listed_) Printers();
}

QString TPrinter::Fallback() const {
  const QString name = source_.DefaultName();
  const int at = name.isEmpty() ? -1 : list_.indexOf(name);
  return at >= 0 && at < list_.size() - 1 ? name : QString();
}

int TPrinter::PrinterIndex() {
  EnsureListed();
  if (current_.isEmpty()) return list_.size() - 1;
  const int at = list_.indexOf(current_);
  if (at >= 0 && at < list_.size() - 1) return at;
  current_ = Fallback();  // the printer has gone from the print system
  return current_.isEmpty() ? list_.size() - 1 : list_.indexOf(current_);
}

void TPrinter::SetPrinterIndex(int index) {
  EnsureListed();
  if (index >= list_.size()) Fail(QStringLiteral("Zvolená tiskárna není platná."));
  if (index < 0)
    current_ = Fallback();
  else
    current_ = index == list_.size() - 1 ? QString() : list_[index];
}

bool TPrinter::IsPdf() {
  EnsureListed();
  return current_.isEmpty();
}

QString TPrinter::PrinterName() {
  return IsPdf() ? PdfEntry() : current_;
}

// The settings of the current printer: A4 portrait whenever another printer
// becomes current, then whatever the setup dialog chose.
QPrinter& TPrinter::Settings() {
  EnsureListed();
  if (!settings_) settings_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (!configured_ || configuredFor_ != current_) {
    if (current_.isEmpty()) {
      settings_->setOutputFormat(QPrinter::PdfFormat);
    } else {
      settings_->setOutputFormat(QPrinter::NativeFormat);
      settings_->setPrinterName(current_);
    }
    settings_->setPageSize(QPageSize(QPageSize::A4));
    settings_->setPageOrientation(QPageLayout::Portrait);
    configured_ = true;
    configuredFor_ = current_;
  }
  return *settings_;
}

void TPrinter::SetupDialog(QWidget* parent) {
  QPrinter& settings = Settings();
  QPrintDialog dialog(&settings, parent);
  dialog.setObjectName(QStringLiteral("PrinterSetupDialog"));
  dialog.setWindowTitle(QStringLiteral("Nastavení tiskárny"));
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  // The dialog only sets the printer up; the report is printed from its own button.
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
  if (dialog.exec() != QDialog::Accepted) return;
  Printers();
  current_ = settings.outputFormat() == QPrinter::PdfFormat ? QString() : settings.printerName();
  configuredFor_ = current_;
}

void TPrinter::BeginDoc(const QString& pdfFileName) {
  if (job_) Fail(QStringLiteral("Tisk již probíhá."));
  QPrinter& settings = Settings();
  auto job = std::make_unique<TJob>();
  job->Printer = current_;
  QPageLayout layout = settings.pageLayout();
  if (current_.isEmpty()) {
    if (pdfFileName.isEmpty()) Fail(QStringLiteral("Není zadán soubor, do kterého se má dokument PDF uložit."));
    job->PdfFile = pdfFileName;
    layout.setMargins(QMarginsF());
  } else if (settings.outputFormat() != QPrinter::NativeFormat || settings.printerName() != current_) {
    Fail(QStringLiteral("Tiskárna „%1“ není k dispozici.").arg(current_));
  }

  job->Buffer.open(QIODevice::WriteOnly);
  job->Writer.emplace(&job->Buffer);
  job->Writer->setResolution(Resolution);
  job->Writer->setCreator(QStringLiteral("zovi"));
  job->Writer->setTitle(QStringLiteral("zovi"));
  job->Writer->setPageLayout(layout);
  job->Canvas.emplace(*job->Writer);
  if (!job->Canvas->Active()) Fail(QStringLiteral("Tiskovou úlohu se nepodařilo začít."));
  job_ = std::move(job);
}

TPrinter::TJob& TPrinter::Job() const {
  if (!job_) throw std::logic_error("no print job is running");
  return *job_;
}

void TPrinter::NewPage() {
  if (!Job().Writer->newPage()) {
    Abort();
    Fail(QStringLiteral("Novou stránku tiskové úlohy se nepodařilo začít."));
  }
}

void TPrinter::EndDoc() {
  Job();
  const std::unique_ptr<TJob> job = std::move(job_);  // the job is over, whatever follows
  if (!job->Canvas->End()) Fail(QStringLiteral("Tiskovou úlohu se nepodařilo dokončit."));
  if (job->Printer.isEmpty())
    Save(*job);
  else
    Submit(*job);
}

void TPrinter::Abort() {
  job_.reset();
}

void TPrinter::Save(const TJob& job) {
  const QByteArray& pdf = job.Buffer.data();
  try {
    WriteFileWhole(QFile::encodeName(job.PdfFile).toStdString(),
                   std::string(pdf.constData(), static_cast<std::size_t>(pdf.size())));
  } catch (const EInOutError& error) {
    Fail(QStringLiteral("Soubor PDF „%1“ se nepodařilo uložit: %2.")
             .arg(QDir::toNativeSeparators(job.PdfFile), FileErrorCause(error.ErrorCode)));
  }
}

// Hands the finished document to the print system with the setup dialog's
// paper, copies and two-sided printing; a refused job is cancelled there.
void TPrinter::Submit(const TJob& job) {
  QPrinter& settings = Settings();
  const QByteArray queue = job.Printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
  const QByteArray media = settings.pageLayout().pageSize().key().toLocal8Bit();
  const QByteArray copies = QByteArray::number(settings.copyCount());
  const char* sides = "one-sided";
  if (settings.duplex() == QPrinter::DuplexShortSide)
    sides = "two-sided-short-edge";
  else if (settings.duplex() != QPrinter::DuplexNone)
    sides = "two-sided-long-edge";

  cups_option_t* options = nullptr;
  int count = 0;
  count = cupsAddOption("media", media.constData(), count, &options);
  count = cupsAddOption("copies", copies.constData(), count, &options);
  if (settings.copyCount() > 1 && settings.collateCopies()) count = cupsAddOption("Collate", "True", count, &options);
  count = cupsAddOption("sides", sides, count, &options);
  const int id = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), "zovi", count, options);
  cupsFreeOptions(count, options);
  const auto failed = [&] {
    return QStringLiteral("Tisk na tiskárně „%1“ se nezdařil: %2.").arg(job.Printer, PrintSystemCause());
  };
  if (id == 0) Fail(failed());

  const QByteArray& pdf = job.Buffer.data();
  bool sent =
      cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), id, "report", CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
  sent = sent && cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData(), static_cast<std::size_t>(pdf.size())) ==
                     HTTP_STATUS_CONTINUE;
  const QString cause = sent ? QString() : failed();
  const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
  if (sent && finished) return;
  const QString message = sent ? failed() : cause;
  cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), id, 0);
  Fail(message);
}

TCanvas& TPrinter::Canvas() {
  return *Job().Canvas;
}

int TPrinter::PageWidth() const {
  return Job().Writer->width();
}

int TPrinter::PageHeight() const {
  return Job().Writer->height();
}

TPrinter& Printer() {
  // Never destroyed: it may be used until the very end of the program.
  static TPrinter* const printer = new TPrinter(TPrinterSource::System());
  return *printer;
}

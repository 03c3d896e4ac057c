#include "printer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "gui_driver.h"
#include "pdf_pages.h"

namespace {

TPrinterSource Fixed(QStringList names, QString defaultName) {
  return TPrinterSource{[names] { return names; }, [defaultName] { return defaultName; }};
}

// A folder that takes no new file, root included (the immutable attribute);
// undone when the object goes, so the temporary folder can be removed.
class TLockedFolder {
 public:
  explicit TLockedFolder(const QString& path) : path_(QFile::encodeName(path)) {
    QDir().mkpath(path);
    ::chmod(path_.constData(), 0555);
    SetImmutable(true);
    QFile probe(path + QStringLiteral("/probe"));
    locked_ = !probe.open(QIODevice::WriteOnly);
    if (!locked_) probe.remove();
  }
  ~TLockedFolder() {
    SetImmutable(false);
    ::chmod(path_.constData(), 0755);
  }
  bool Locked() const { return locked_; }

 private:
  void SetImmutable(bool on) {
    if (::geteuid() != 0) return;
    const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0) ::close(fd);
  }
  QByteArray path_;
  bool locked_ = false;
};

void DrawLine(TPrinter& printer, const QString& text) {
  TCanvas& canvas = printer.Canvas();
  canvas.SetFontName(QStringLiteral("Arial"));
  canvas.SetFontCharset(238);
  canvas.SetFontHeight(printer.PageHeight() / 60);
  canvas.TextOut(printer.PageWidth() / 10, printer.PageHeight() / 10, text);
}

}  // namespace

TEST(Printer, ListsThePrintersThenThePdfEntryAndFallsBack) {
  const QString pdf = QStringLiteral("Uložit jako PDF");
  EXPECT_EQ(TPrinter::PdfEntry(), pdf);

  TPrinter printer(Fixed({"Laser", "Inkjet"}, "Inkjet"));
  EXPECT_EQ(printer.Printers(), QStringList({"Laser", "Inkjet", pdf}));
  EXPECT_EQ(printer.PrinterIndex(), 1) << "the default printer comes first";
  printer.SetPrinterIndex(0);
  EXPECT_EQ(printer.PrinterName(), "Laser");
  printer.SetPrinterIndex(-1);  // text typed into the chooser
  EXPECT_EQ(printer.PrinterIndex(), 1);
  printer.SetPrinterIndex(2);
  EXPECT_TRUE(printer.IsPdf());
  EXPECT_THROW(printer.SetPrinterIndex(3), EPrinterError);
  EXPECT_TRUE(printer.IsPdf());

  // Without a default printer -1 is the PDF entry; a printer gone from the
  // print system falls back the same way.
  QStringList names{"Laser", "Inkjet"};
  TPrinter changing(TPrinterSource{[&names] { return names; }, [] { return QString(); }});
  EXPECT_EQ(changing.PrinterIndex(), 2);
  changing.SetPrinterIndex(1);
  names = QStringList{"Laser"};
  changing.Printers();
  EXPECT_EQ(changing.PrinterIndex(), 1);
  EXPECT_TRUE(changing.IsPdf());

  // No printer at all: the PDF entry alone. The program's printer always ends with it.
  TPrinter none(Fixed({}, {}));
  EXPECT_EQ(none.Printers(), QStringList({pdf}));
  EXPECT_EQ(none.PrinterIndex(), 0);
  EXPECT_EQ(Printer().Printers().last(), pdf);
}

TEST(Printer, WritesTheWholeJobAsOnePdfFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("report.pdf"));
  TPrinter printer(Fixed({}, {}));
  EXPECT_THROW(printer.BeginDoc(), EPrinterError) << "the PDF entry needs a file";
  EXPECT_FALSE(printer.Printing());

  printer.BeginDoc(file);
  // A4 at 600 dots per inch, the whole sheet (PDF pages are sized in points).
  EXPECT_NEAR(printer.PageWidth(), 4960, 3);
  EXPECT_NEAR(printer.PageHeight(), 7016, 3);
  EXPECT_EQ(printer.Canvas().Width(), printer.PageWidth());
  DrawLine(printer, QStringLiteral("stránka 1/2, výsledky testu"));
  EXPECT_FALSE(QFile::exists(file)) << "nothing is written before the job ends";
  printer.NewPage();
  DrawLine(printer, QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy"));
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(PdfPages(file), QStringList({"stránka 1/2, výsledky testu", "Příliš žluťoučký kůň úpěl ďábelské ódy"}));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"report.pdf"}));

  // An aborted job writes nothing and leaves the earlier file as it was.
  const QByteArray before = [&] {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  {
    printer.BeginDoc(file);
    TPrintJobGuard guard(printer);
    DrawLine(printer, QStringLiteral("nedokončeno"));
  }
  EXPECT_FALSE(printer.Printing());
  QFile after(file);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
}

TEST(Printer, FailedJobsNameTheCauseAndLeaveNoFile) {
  QTemporaryDir dir;
  TPrinter printer(Fixed({"Laser"}, "Laser"));

  // A printer that the print system does not know.
  try {
    printer.BeginDoc();
    ADD_FAILURE() << "a job began on a missing printer";
  } catch (const EPrinterError& error) {
    EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("Tiskárna „Laser“ není k dispozici."));
  }
  EXPECT_FALSE(printer.Printing());

  printer.SetPrinterIndex(1);
  const auto failure = [&](const QString& file) {
    printer.BeginDoc(file);
    DrawLine(printer, QStringLiteral("text"));
    try {
      printer.EndDoc();
    } catch (const EPrinterError& error) {
      EXPECT_FALSE(printer.Printing());
      return QString::fromUtf8(error.what());
    }
    return QStringLiteral("no error");
  };
  const QString missing = dir.filePath(QStringLiteral("none/report.pdf"));
  EXPECT_EQ(failure(missing),
            QStringLiteral("Soubor PDF „%1“ se nepodařilo uložit: složka nebo soubor neexistuje.").arg(missing));

  const QString lockedPath = dir.filePath(QStringLiteral("locked"));
  TLockedFolder locked(lockedPath);
  if (!locked.Locked()) GTEST_SKIP() << "this system lets the test write into any folder";
  const QString file = lockedPath + QStringLiteral("/report.pdf");
  EXPECT_EQ(failure(file), QStringLiteral("Soubor PDF „%1“ se nepodařilo uložit: přístup odepřen.").arg(file));
  EXPECT_TRUE(QDir(lockedPath).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(Printer, SetupDialogCancelledChangesNothing) {
  TPrinter printer(Fixed({}, {}));
  TModalAnswers answers(Steps([](QWidget* window) { static_cast<QDialog*>(window)->reject(); }));
  printer.SetupDialog(nullptr);
  EXPECT_TRUE(answers.Done());
  EXPECT_EQ(answers.Windows(), QStringList({"PrinterSetupDialog"}));
  EXPECT_TRUE(printer.IsPdf());
}

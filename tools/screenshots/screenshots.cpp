// Renders every window of the programs to one PNG each, named after the
// window's global instance, under Qt's offscreen platform:
//   screenshots <folder> [<result file> [<score kind 0..3>]]
// A score kind other than 0, 1, 2 or 3 ends the tool with its usage.
// A window is added to the list below with one line: its name and the step
// that prepares and returns it. Given a result file, it renders that
// respondent's results screen as well: each panel in front, and the scores
// panel with the hexagon and with the profile graph, in the score kind given
// (percentiles when none is), and writes the respondent's printed reports
// (report-full.pdf, report-simple.pdf) and Word document (report.doc) through
// the same paths as the print dialog. It works in a scratch folder of its
// own, which takes the main program's database and settings file.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "Fail.h"
#include "about.h"
#include "blank.h"
#include "correct.h"
#include "datetime.h"
#include "dbbrowser.h"
#include "finish.h"
#include "framework.h"
#include "help.h"
#include "info.h"
#include "inifile.h"
#include "input.h"
#include "intro.h"
#include "main.h"
#include "notes.h"
#include "options.h"
#include "outro.h"
#include "print.h"
#include "rdone.h"
#include "recordfile.h"
#include "report_print.h"
#include "rfinish.h"
#include "test.h"
#include "testrun.h"
#include "textcodec.h"
#include "word_export.h"

namespace {

struct TShot {
  const char* Name;
  std::function<QWidget*()> Prepare;
};

// A few respondents in the scratch database, for the list of stored respondents.
QWidget* BrowserWithRespondents() {
  const char* names[] = {"Nováková Jana",  "Černý Petr",        "Dvořák Tomáš", "Šťastná Eliška",  "Adamec Ondřej",
                         "Zelenka Michal", "Procházková Lucie", "Beneš Jakub",  "Horáková Tereza", "Kučera Adam"};
  int day = 0;
  for (const char* name : names) {
    TResultRecord r{};
    InitResultRecord(r);
    r.Name.assign(ToCp1250(QString::fromUtf8(name)));
    r.ScoreSheet.TestDate = EncodeDateTime(2024, 3, 4 + day, 8 + day, 5 * day, 17 + day);
    ++day;
    AppendRecord(r);
  }
  DatabaseForm->show();
  DatabaseForm->ListView->Select(2);
  DatabaseForm->ListViewClick();
  return DatabaseForm;
}

void CannotWrite(const QString& path) {
  std::fprintf(stderr, "Soubor %s nelze zapsat.\n", qPrintable(path));
}

// The score kind named by `text`, one digit 0 to 3; -1 for anything else.
int ScoreKindArgument(const char* text) {
  const QByteArray kind(text);
  return kind.size() == 1 && kind[0] >= '0' + skPercentile && kind[0] <= '0' + skRawScore ? kind[0] - '0' : -1;
}

bool Save(QWidget* window, const QString& path) {
  if (!window->isVisible()) window->show();
  QApplication::processEvents();
  const bool saved = window->grab().save(path, "PNG");
  window->hide();
  return saved;
}

// The results screen of the record in `resultFile`, one picture per view.
int ShootResults(const QDir& outFolder, const QString& resultFile, TScoreKind kind) {
  TResultRecord R{};
  try {
    LoadResultFile(R, QFile::encodeName(resultFile).toStdString());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Soubor %s nelze přečíst: %s\n", qPrintable(resultFile), error.what());
    return 1;
  }
  if (!IsScorableSheet(R)) {
    std::fprintf(stderr, "Odpovědi v souboru %s nelze vyhodnotit.\n", qPrintable(resultFile));
    return 1;
  }
  LoadNotes(*OutroForm->NoteMemo, R);
  OutroForm->ResultRecord = R;
  OutroForm->graphComboBox->setCurrentIndex(0);
  OutroForm->show();
  // The kind chosen as on the screen's selector, which draws the chart in it.
  OutroForm->SkorComboBox->setCurrentIndex(kind);
  OutroForm->SkorComboBoxChange();
  const struct {
    const char* Name;
    std::function<void()> Prepare;
  } views[] = {
      {"OutroForm-scores-hexagon", [] { OutroForm->skorbuttonimageClick(); }},
      {"OutroForm-scores-profile",
       [] {
         OutroForm->graphComboBox->setCurrentIndex(1);
         OutroForm->DrawScoreView();
       }},
      {"OutroForm-professions", [] { OutroForm->profesebuttonimageClick(); }},
      {"OutroForm-code", [] { OutroForm->kodbuttonimageClick(); }},
      {"OutroForm-notes", [] { OutroForm->notebuttonimageClick(); }},
  };
  int failures = 0;
  for (const auto& view : views) {
    view.Prepare();
    QApplication::processEvents();
    const QString path = outFolder.filePath(QString::fromLatin1(view.Name) + QStringLiteral(".png"));
    if (OutroForm->grab().save(path, "PNG")) {
      std::printf("%s\n", qPrintable(path));
    } else {
      CannotWrite(path);
      ++failures;
    }
  }

  // The reports as the print button hands them over: the hexagon, the notes,
  // and raw scores printed as Z-scores.
  OutroForm->graphComboBox->setCurrentIndex(0);
  OutroForm->DrawScoreView();
  PrintForm->ShowHexagon = true;
  PrintForm->NoteLines = NoteLinesOf(*OutroForm->NoteMemo);
  PrintForm->ScoreKind = kind == skRawScore ? skZScore : kind;
  OutroForm->hide();
  try {
    WriteReportPdfs(*PrintForm, PrintForm->topheader->Picture(), outFolder.absolutePath());
    std::printf("%s\n%s\n", qPrintable(outFolder.filePath(QStringLiteral("report-full.pdf"))),
                qPrintable(outFolder.filePath(QStringLiteral("report-simple.pdf"))));
    const QString doc = outFolder.filePath(QStringLiteral("report.doc"));
    ExportReportToWord(*PrintForm, QFile::encodeName(doc).toStdString());
    std::printf("%s\n", qPrintable(doc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    ++failures;
  }
  return failures;
}

// Every window of the list into `outFolder`, one picture each, from a start
// of the main program in the current folder; returns how many pictures could
// not be written.
int ShootWindows(const QDir& outFolder) {
  InitFrameworkTables();
  CreateZoviForms();
  // The remote program's own windows (it shares the others).
  CreateForm(RemoteFinishForm);
  CreateForm(HelpForm);
  CreateForm(RemoteDoneForm);

  const TShot shots[] = {
      {"MainForm", [] { return MainForm; }},
      {"TestForm",
       [] {
         TestForm->StartTest(sxMale, true);
         return TestForm;
       }},
      // A later pass on page 2: the answered items grey, the gaps bold.
      {"TestForm_correction",
       [] {
         const std::int16_t answers[] = {5, 0, 3, 1, 0, 4, 2, 5, 0, 3, 1, 2};
         std::copy(std::begin(answers), std::end(answers), TestForm->Answers + 1);
         TestForm->StartTest(sxFemale, false);
         TestForm->NextButtonClick();
         return TestForm;
       }},
      {"InputForm", [] { return InputForm; }},
      {"IntroForm",
       [] {
         IntroForm->UseSplashPages();
         return IntroForm;
       }},
      {"FinishForm", [] { return FinishForm; }},
      {"CorrectForm", [] { return CorrectForm; }},
      {"FailForm", [] { return FailForm; }},
      {"BlankForm",
       [] {
         BlankForm->ShowBackdrop();
         return BlankForm;
       }},
      {"DatabaseForm", BrowserWithRespondents},
      {"InfoForm", [] { return InfoForm; }},
      {"aboutform", [] { return aboutform; }},
      {"OptionsForm", [] { return OptionsForm; }},
      {"PrintForm", [] { return PrintForm; }},
      {"RemoteDoneForm", [] { return RemoteDoneForm; }},
      {"RemoteFinishForm", [] { return RemoteFinishForm; }},
      {"HelpForm", [] { return HelpForm; }},
  };
  int failures = 0;
  for (const TShot& shot : shots) {
    const QString path = outFolder.filePath(QString::fromLatin1(shot.Name) + QStringLiteral(".png"));
    if (Save(shot.Prepare(), path)) {
      std::printf("%s\n", qPrintable(path));
    } else {
      CannotWrite(path);
      ++failures;
    }
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int kind = argc == 4 ? ScoreKindArgument(argv[3]) : skPercentile;
  if (argc < 2 || argc > 4 || kind < 0 || argv[1][0] == '\0') {
    std::fprintf(stderr,
                 "Použití: screenshots <složka> [<soubor s výsledky .zvr> [<druh skóru>]]\n"
                 "  složka: kam se obrázky uloží (nesmí být prázdná)\n"
                 "  druh skóru: 0 percentil (výchozí), 1 T-skór, 2 Z-skór, 3 hrubý skór\n");
    return 2;
  }
  const QDir outFolder(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
  const QString resultFile = argc >= 3 ? QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath() : QString();
  // The main window starts up in a scratch folder of the tool's own, which
  // takes its database, its settings file and the sample respondents: never
  // the folder the tool was run in, which may hold a real database. Without
  // that folder the tool does not run; however it ends, the folder goes.
  QTemporaryDir scratch;
  if (!scratch.isValid()) {
    std::fprintf(stderr, "Pomocnou složku v %s nelze vytvořit: %s\n", qPrintable(QDir::tempPath()),
                 qPrintable(scratch.errorString()));
    return 1;
  }
  if (!outFolder.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "Složku %s nelze vytvořit.\n", argv[1]);
    return 1;
  }
  if (!QDir::setCurrent(scratch.path())) {
    std::fprintf(stderr, "Do pomocné složky %s nelze přejít.\n", qPrintable(scratch.path()));
    return 1;
  }
  int failures = 0;
  try {
    // Both files before the main window starts: it reports a failure to write
    // them in a message box, which nobody would answer here.
    IniWriteBool("zovi.ini", "ZOVI", "RequireAll", false);
    CreateEmptyFile("zovi.db");
    failures = ShootWindows(outFolder);
    if (!resultFile.isEmpty()) failures += ShootResults(outFolder, resultFile, static_cast<TScoreKind>(kind));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Snímky se nepodařilo dokončit: %s\n", error.what());
    failures = 1;
  }
  FreeForms();
  return failures == 0 ? 0 : 1;
}

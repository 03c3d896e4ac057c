#include "main.h"

#include <unistd.h>

#include <QFile>
#include <QLayout>

#include "Fail.h"
#include "about.h"
#include "blank.h"
#include "correct.h"
#include "datetime.h"
#include "dbbrowser.h"
#include "dialogs.h"
#include "finish.h"
#include "framework.h"
#include "info.h"
#include "inifile.h"
#include "input.h"
#include "intro.h"
#include "kiosk.h"
#include "options.h"
#include "outro.h"
#include "print.h"
#include "recordfile.h"
#include "resultfile.h"
#include "runsteps.h"
#include "test.h"
#include "textcodec.h"

TMainForm* MainForm = nullptr;
std::string WorkDir;

namespace {

std::string CurrentDirectory() {
  std::string buf(4096, '\0');
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  return buf;
}

// A file name as the operating system takes it.
std::string LocalPath(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

}  // namespace

std::string WorkDirOf(std::string dir) {
  while (!dir.empty() && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string WorkDirFile(const std::string& name) {
  return WorkDir + "/" + name;
}

void CreateZoviForms() {
  CreateForm(MainForm);
  CreateForm(TestForm);
  CreateForm(BlankForm);
  CreateForm(InputForm);
  CreateForm(IntroForm);
  CreateForm(FinishForm);
  CreateForm(DatabaseForm);
  CreateForm(InfoForm);
  CreateForm(OutroForm);
  CreateForm(aboutform);
  CreateForm(CorrectForm);
  CreateForm(PrintForm);
  CreateForm(FailForm);
  CreateForm(OptionsForm);
}

TMainForm::TMainForm() {
  setupUi(this);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);

  BackImage->SetPicture("main_back");
  newtest_normal->SetPicture("main_newtest_normal");
  newtest_over->SetPicture("main_newtest_over");
  readremote_normal->SetPicture("main_readremote_normal");
  readremote_over->SetPicture("main_readremote_over");
  database_normal->SetPicture("main_database_normal");
  database_over->SetPicture("main_database_over");
  hover_.Add(NewTestButtonImage, newtest_normal, newtest_over);
  hover_.Add(ReadRemoteButtonImage, readremote_normal, readremote_over);
  hover_.Add(DatabaseButtonImage, database_normal, database_over);

  Bind(NewTestButtonImage, &TImage::clicked, this, &TMainForm::NewTestMenuItemClick);
  Bind(ReadRemoteButtonImage, &TImage::clicked, this, &TMainForm::ReadRemoteMenuItemClick);
  Bind(DatabaseButtonImage, &TImage::clicked, this, &TMainForm::DatabaseMenuItemClick);
  Bind(BackImage, &TImage::mouseMove, this, &TMainForm::BackImageMouseMove);
  Bind(NewTestButtonImage, &TImage::mouseMove, this, &TMainForm::NewTestButtonImageMouseMove);
  Bind(ReadRemoteButtonImage, &TImage::mouseMove, this, &TMainForm::ReadRemoteButtonImageMouseMove);
  Bind(DatabaseButtonImage, &TImage::mouseMove, this, &TMainForm::DatabaseButtonImageMouseMove);

  Bind(ExitMenuItem, &QAction::triggered, this, &TMainForm::ExitMenuItemClick);
  Bind(NewTestMenuItem, &QAction::triggered, this, &TMainForm::NewTestMenuItemClick);
  Bind(ReadRemoteMenuItem, &QAction::triggered, this, &TMainForm::ReadRemoteMenuItemClick);
  Bind(DatabaseMenuItem, &QAction::triggered, this, &TMainForm::DatabaseMenuItemClick);
  Bind(Zlohovatdatabzi1, &QAction::triggered, this, &TMainForm::Zlohovatdatabzi1Click);
  Bind(Obnovitzezlohy1, &QAction::triggered, this, &TMainForm::Obnovitzezlohy1Click);
  Bind(ExportovatdoCSV1, &QAction::triggered, this, &TMainForm::ExportovatdoCSV1Click);
  Bind(Oprogramu2, &QAction::triggered, this, &TMainForm::Oprogramu2Click);

  RemoteOpenDialog.DefaultExt = QStringLiteral("zvr");
  RemoteOpenDialog.Filter = QStringLiteral("Soubor výsledku ZOVI|*.zvr");
  RemoteOpenDialog.Title = QStringLiteral("Nacíst výsledky...");
  RemoteOpenDialog.InitialDir = QStringLiteral(".");
  backupOpenDialog.DefaultExt = QStringLiteral("dba");
  backupOpenDialog.Filter = QStringLiteral("Soubor zálohy ZOVI|*.dba");
  backupOpenDialog.Title = QStringLiteral("Nacíst databázi ze souboru...");
  backupSaveDialog.DefaultExt = QStringLiteral("dba");
  backupSaveDialog.Filter = QStringLiteral("Soubor zálohy ZOVI|*.dba");
  backupSaveDialog.Title = QStringLiteral("Zálohovat databázi do souboru...");
  CSVSaveDialog.DefaultExt = QStringLiteral(".csv");
  CSVSaveDialog.FileName = QStringLiteral("data_zovi.csv");
  CSVSaveDialog.Filter = QStringLiteral("Tabulka hodnot oddelených stredníkem (CSV)|*.csv");

  // The client area is exactly the background picture; the window is not resizable.
  ClientArea->setFixedSize(501, 461);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TMainForm::Created() {
  Guarded([this] { FormCreate(); });
}

void TMainForm::FormCreate() {
  WorkDir = WorkDirOf(CurrentDirectory());
  DatabaseFileName = WorkDirFile("zovi.db");

  // The settings default; a folder where it cannot be written is reported
  // and start-up goes on, so the commands can report their own errors later.
  Guarded([] {
    const std::string ini = WorkDirFile("zovi.ini");
    if (!IniSectionExists(ini, "ZOVI")) IniWriteBool(ini, "ZOVI", "RequireAll", false);
  });

  SeedFromClock();
  InitContentTables();

  // An empty database when there is none; a failure shows with the first database command.
  if (!FileExists(DatabaseFileName)) {
    try {
      CreateEmptyFile(DatabaseFileName);
    } catch (const EInOutError&) {
    }
  }

  const QString dir = WorkDir.empty() ? QStringLiteral("/") : QFile::decodeName(WorkDir.c_str());
  backupOpenDialog.InitialDir = dir;
  backupSaveDialog.InitialDir = dir;
}

void TMainForm::ShowCentred() {
  show();
  const QRect screen = TForm::ScreenRect();
  const QRect frame = frameGeometry();
  move(screen.left() + (screen.width() - frame.width()) / 2, screen.top() + (screen.height() - frame.height()) / 2);
}

void TMainForm::NewTestMenuItemClick() {
  TResultRecord R{};
  InitResultRecord(R);
  std::exception_ptr refused;  // the database did not take the record
  {
    // Both undone on every way out of the run, the backdrop first.
    const TKioskLock lock;
    const TBackdrop backdrop;

    bool cancelled = false;
    IntroForm->UseSplashPages();
    if (IntroForm->ShowModal() == mrCancel) cancelled = true;
    if (!cancelled && InputForm->ShowModal() == mrCancel) cancelled = true;
    IntroForm->UseIntroPages();
    if (!cancelled && IntroForm->ShowModal() == mrCancel) cancelled = true;
    CopyPersonalData(R);
    if (cancelled) return;

    const TQuestionnaireOutcome outcome = RunQuestionnaire(R);
    if (outcome == TQuestionnaireOutcome::Cancelled) return;
    FinishForm->ShowModal();
    if (outcome != TQuestionnaireOutcome::Valid) return;

    R.ScoreSheet.TestDate = Now();
    std::memset(R.Notes, 0, sizeof R.Notes);
    refused = StoreFailure([&] { AppendRecord(R); });
    // The screen's record with its notes (and a retake) is stored back when the screen closes.
    if (!refused && ShowRecordResults(R)) refused = StoreFailure([&] { UpdateRecord(R); });
  }
  // The cause is shown on the unlocked desktop, and the answers can still be kept in a result file.
  if (refused) KeepRefusedRecord(refused, ResultSaveDialog, this, R);
}

void TMainForm::DatabaseMenuItemClick() {
  DatabaseForm->ShowModal();
}

namespace {

// The respondent as the import names them: "Jan Nový (05. 03. 2007)".
QString RespondentLabel(const TResultRecord& R) {
  return FromCp1250(R.Name.str()) + QStringLiteral(" (") +
         QString::fromStdString(FormatDateTime("dd. mm. yyyy", R.ScoreSheet.TestDate)) + QStringLiteral(")");
}

// A result file of a respondent already stored: a file imported twice, or
// the result kept when the database refused the notes or a retake. The same
// record changes nothing; another one may replace the stored record, its
// number kept, when the counsellor asks for it.
void OfferReplacement(const TResultRecord& R, const TResultRecord& stored) {
  const QString respondent =
      QStringLiteral("Proband ") + RespondentLabel(R) + QStringLiteral(" už je v databázi uložen");
  const TRecordDifference difference = CompareRecords(R, stored);
  if (!difference.Any()) {
    ShowInformation(respondent + QStringLiteral(" se stejnými údaji. Databáze nebyla změněna."));
    return;
  }
  QStringList what;
  if (difference.PersonalData) what << QStringLiteral("osobní údaje");
  if (difference.Answers) what << QStringLiteral("odpovědi");
  if (difference.Notes) what << QStringLiteral("poznámky");
  const QString last = what.takeLast();
  const QString listed = what.isEmpty() ? last : what.join(QStringLiteral(", ")) + QStringLiteral(" a ") + last;
  if (AskConfirmation(respondent + QStringLiteral(", soubor však obsahuje jiné ") + listed +
                          QStringLiteral(". Chcete uložený záznam nahradit záznamem ze souboru?"),
                      mrNo) == mrYes)
    ReplaceStoredRecord(R);
}

}  // namespace

void TMainForm::ReadRemoteMenuItemClick() {
  if (!RemoteOpenDialog.Execute(this)) return;
  TResultRecord R{};
  LoadResultFile(R, LocalPath(RemoteOpenDialog.FileName));
  TResultRecord stored;
  if (!FindStoredRecord(R, stored)) {
    const QString question =
        QStringLiteral("Chcete opravdu přidat probanda ") + RespondentLabel(R) + QStringLiteral(" do databáze?");
    if (AskConfirmation(question) != mrYes || AppendRecord(R)) return;
    // Another program stored the respondent while the question was open.
    if (!FindStoredRecord(R, stored)) return;
  }
  OfferReplacement(R, stored);
}

void TMainForm::Zlohovatdatabzi1Click() {
  if (!backupSaveDialog.Execute(this)) return;
  BackupDatabase(LocalPath(backupSaveDialog.FileName));
  ShowInformation(QStringLiteral("Databáze byla zálohována."));
}

void TMainForm::Obnovitzezlohy1Click() {
  if (!backupOpenDialog.Execute(this)) return;
  const TRestoreResult result = RestoreDatabase(LocalPath(backupOpenDialog.FileName));
  QString text = result.Loaded > 0    ? QStringLiteral("Položky databáze byly načteny.")
                 : result.Records > 0 ? QStringLiteral(
                                            "Všichni probandi ze zálohy už v databázi jsou uloženi. "
                                            "Databáze nebyla změněna.")
                                      : QStringLiteral(
                                            "Soubor zálohy neobsahuje žádného probanda. "
                                            "Databáze nebyla změněna.");
  // A backup cut short loses its last respondent: the counsellor is told.
  if (result.Incomplete) text += QStringLiteral(" Soubor zálohy končil neúplným záznamem, který nebyl načten.");
  ShowInformation(text);
}

void TMainForm::ExportovatdoCSV1Click() {
  if (!CSVSaveDialog.Execute(this)) return;
  ExportCsv(LocalPath(CSVSaveDialog.FileName));
  ShowInformation(QStringLiteral("Export dat do souboru \"") + CSVSaveDialog.FileName + QStringLiteral("\" proveden."));
}

void TMainForm::Oprogramu2Click() {
  aboutform->ShowModal();
}

void TMainForm::ExitMenuItemClick() {
  close();
}

void TMainForm::BackImageMouseMove() {
  hover_.Reset();
}
void TMainForm::NewTestButtonImageMouseMove() {
  hover_.Swap(NewTestButtonImage);
}
void TMainForm::ReadRemoteButtonImageMouseMove() {
  hover_.Swap(ReadRemoteButtonImage);
}
void TMainForm::DatabaseButtonImageMouseMove() {
  hover_.Swap(DatabaseButtonImage);
}

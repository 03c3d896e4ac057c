// The main window through its real controls: start-up in a working folder,
// and the import, backup, restore and CSV commands with their real dialogs
// and message boxes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "about.h"
#include "cp1250.h"
#include "datetime.h"
#include "framework.h"
#include "gui_driver.h"
#include "main.h"
#include "mainform_start.h"
#include "platform/recordfile_testutil.h"
#include "testrun.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

TResultRecord Respondent(const std::string& utf8Name, double testDate, char idLetter) {
  TResultRecord r{};
  r.Name.assign(Utf8ToCp1250(utf8Name));
  r.ScoreSheet.TestDate = testDate;
  r.Sex = 1;
  for (int s = 0; s < 6; ++s) r.ScoreSheet.RawScores[s] = 30;
  r.UniqueId.assign(std::string(50, idLetter));
  return r;
}

std::string Bytes(const TResultRecord& r) {
  return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

// A step that picks `path` in the file dialog named `name` (or cancels it when path is empty).
TModalAnswers::Step ChooseFile(const QString& name, const QString& path) {
  return [name, path](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr) << "expected a file dialog, got " << w->metaObject()->className();
    EXPECT_EQ(dialog->objectName(), name);
    if (path.isEmpty()) {
      dialog->reject();  // the dialog's Cancel
      return;
    }
    // Typed into the dialog's own name field, as a user would.
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    for (QAbstractButton* b : buttons->buttons())
      if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) {
        EXPECT_TRUE(b->isEnabled());
        b->click();
        EXPECT_FALSE(dialog->isVisible()) << "the dialog did not take " << path.toStdString();
        return;
      }
    ADD_FAILURE() << "the file dialog has no accept button";
  };
}

class MainFormTest : public TMainFormTest {
 protected:
  void SetUp() override {
    TMainFormTest::SetUp();
    path_ = dir_.path().toStdString();
  }

  // Runs a menu command while `steps` answer its dialogs and boxes; all of them must be used.
  void Run(QAction* action, std::vector<TModalAnswers::Step> steps) {
    const auto expected = static_cast<int>(steps.size());
    TModalAnswers answers(std::move(steps));
    action->trigger();
    EXPECT_EQ(answers.Acted(), expected);
  }

  std::string File(const std::string& name) const { return path_ + "/" + name; }
  QString QFile(const std::string& name) const { return QString::fromStdString(File(name)); }

  std::string path_;
};

TEST_F(MainFormTest, StartUpCreatesTheDatabaseAndSettingsOnlyWhenMissing) {
  MainForm->FormCreate();
  EXPECT_EQ(WorkDir, path_);
  EXPECT_EQ(DatabaseFileName, File("zovi.db"));
  EXPECT_TRUE(FileExists(File("zovi.db")));
  EXPECT_EQ(ReadAll(File("zovi.db")), "");
  const std::string ini = ReadAll(File("zovi.ini"));
  EXPECT_NE(ini.find("[ZOVI]"), std::string::npos);
  EXPECT_NE(ini.find("RequireAll=0"), std::string::npos);
  EXPECT_EQ(MainForm->backupOpenDialog.InitialDir, dir_.path());
  EXPECT_EQ(MainForm->backupSaveDialog.InitialDir, dir_.path());

  // A second start in the same folder, with a stored record and other settings, touches nothing.
  const std::string record = Bytes(Respondent("Eva", 40000, 'e'));
  WriteAll(File("zovi.db"), record);
  WriteAll(File("zovi.ini"), "[ZOVI]\nRequireAll=1\nOther=x\n");
  MainForm->FormCreate();
  EXPECT_EQ(ReadAll(File("zovi.db")), record);
  EXPECT_EQ(ReadAll(File("zovi.ini")), "[ZOVI]\nRequireAll=1\nOther=x\n");
}

TEST_F(MainFormTest, TheRootFolderGivesSinglePaths) {
  // The root folder is not ours to write, so its paths are checked without a start-up there.
  EXPECT_EQ(WorkDirOf("/"), "");
  EXPECT_EQ(WorkDirOf("/home/eva/"), "/home/eva");
  const std::string saved = WorkDir;
  WorkDir = WorkDirOf("/");
  EXPECT_EQ(WorkDirFile("zovi.db"), "/zovi.db");
  EXPECT_EQ(WorkDirFile("zovi.ini"), "/zovi.ini");
  WorkDir = saved;
}

TEST_F(MainFormTest, AFolderThatCannotBeWrittenIsReportedAndStartUpGoesOn) {
  const std::string locked = File("locked");
  ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
  MakeUnwritable(locked);
  const bool writable = std::ofstream(locked + "/probe").good();
  if (writable) {
    MakeWritable(locked);
    GTEST_SKIP() << "this file system lets us write a read-only folder";
  }
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(locked)));
  QString error;
  {
    TModalAnswers answers(Steps(AnswerBox("Chyba", QMessageBox::Ok, &error)));
    MainForm->FormCreate();
    EXPECT_EQ(answers.Acted(), 1);
  }
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(DatabaseFileName, locked + "/zovi.db");
  EXPECT_FALSE(FileExists(locked + "/zovi.db"));
  EXPECT_EQ(Professions.size(), 279u);
  EXPECT_EQ(MainForm->backupSaveDialog.InitialDir, QString::fromStdString(locked));
  // The first database command reports the missing database.
  QString text;
  Run(MainForm->Zlohovatdatabzi1,
      {ChooseFile("backupSaveDialog", QFile("z.dba")), AnswerBox("Chyba", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("File not found"));
  MakeWritable(locked);
}

TEST_F(MainFormTest, PictureButtonsShowOneOverLookAtATime) {
  MainForm->FormCreate();
  MainForm->ShowCentred();
  const auto over = [] {
    return std::vector<int>{MainForm->NewTestButtonImage->Tag, MainForm->ReadRemoteButtonImage->Tag,
                            MainForm->DatabaseButtonImage->Tag};
  };
  MoveOver(MainForm, "NewTestButtonImage");
  EXPECT_EQ(over(), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(MainForm->NewTestButtonImage->Picture(), MainForm->newtest_over->Picture());
  MoveOver(MainForm, "ReadRemoteButtonImage");  // straight from one button onto another
  EXPECT_EQ(over(), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(MainForm->NewTestButtonImage->Picture(), MainForm->newtest_normal->Picture());
  MoveOver(MainForm, "DatabaseButtonImage");
  EXPECT_EQ(over(), (std::vector<int>{0, 0, 1}));
  MoveOver(MainForm, "BackImage", QPoint(300, 400));
  EXPECT_EQ(over(), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(MainForm->DatabaseButtonImage->Picture(), MainForm->database_normal->Picture());
  // A button that opened a window over the main one is normal again when that window closes.
  MoveOver(MainForm, "NewTestButtonImage");
  TModalAnswers about(Steps([&](QWidget* w) {
    EXPECT_EQ(over(), (std::vector<int>{0, 0, 0}));
    PlatformClose(w);
  }));
  aboutform->ShowModal();
  EXPECT_TRUE(about.Done());
  EXPECT_EQ(MainForm->NewTestButtonImage->Picture(), MainForm->newtest_normal->Picture());
  MainForm->hide();
}

TEST_F(MainFormTest, CancellingAnyDialogTouchesNothing) {
  MainForm->FormCreate();
  const std::string record = Bytes(Respondent("Eva", 40000, 'e'));
  WriteAll(File("zovi.db"), record);
  Run(MainForm->ReadRemoteMenuItem, Steps(ChooseFile("RemoteOpenDialog", {})));
  Run(MainForm->Zlohovatdatabzi1, Steps(ChooseFile("backupSaveDialog", {})));
  Run(MainForm->Obnovitzezlohy1, Steps(ChooseFile("backupOpenDialog", {})));
  Run(MainForm->ExportovatdoCSV1, Steps(ChooseFile("CSVSaveDialog", {})));
  EXPECT_EQ(ReadAll(File("zovi.db")), record);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), (QStringList{"zovi.db", "zovi.ini"}));
}

TEST_F(MainFormTest, ImportAsksStoresOnceAndOffersToReplaceAStoredRespondent) {
  MainForm->FormCreate();
  WriteAll(File("jan.zvr"), Bytes(Respondent("Jan Nový", EncodeDateTime(2007, 3, 5, 10, 30), 'j')));

  QString question;
  Run(MainForm->ReadRemoteMenuItem,
      {ChooseFile("RemoteOpenDialog", QFile("jan.zvr")), AnswerBox("Potvrzení", QMessageBox::No, &question)});
  EXPECT_EQ(question, QStringLiteral("Chcete opravdu přidat probanda Jan Nový (05. 03. 2007) do databáze?"));
  EXPECT_EQ(ReadAll(File("zovi.db")).size(), 0u);

  Run(MainForm->ReadRemoteMenuItem,
      {ChooseFile("RemoteOpenDialog", QFile("jan.zvr")), AnswerBox("Potvrzení", QMessageBox::Yes)});
  const std::string db = ReadAll(File("zovi.db"));
  ASSERT_EQ(db.size(), RecordSize);
  TResultRecord stored;
  std::memcpy(&stored, db.data(), RecordSize);
  EXPECT_EQ(stored.Id, 1);
  EXPECT_EQ(stored.Name.str(), Utf8ToCp1250("Jan Nový"));

  // The same file again, or the database itself renamed: nothing to add, and the counsellor is told.
  WriteAll(File("copy.zvr"), db);
  for (const char* name : {"jan.zvr", "copy.zvr"}) {
    QString text;
    Run(MainForm->ReadRemoteMenuItem,
        {ChooseFile("RemoteOpenDialog", QFile(name)), AnswerBox("Informace", QMessageBox::Ok, &text)});
    EXPECT_EQ(text, QStringLiteral("Proband Jan Nový (05. 03. 2007) už je v databázi uložen se stejnými údaji. "
                                   "Databáze nebyla změněna."));
  }
  // A result kept when the database refused the notes: the stored record may take the file's,
  // its number kept; Return keeps the stored one.
  TResultRecord rescued = stored;
  std::strcpy(rescued.Notes, "Zajímá ho technika");
  rescued.Id = 7;
  WriteAll(File("rescued.zvr"), Bytes(rescued));
  QString replace;
  Run(MainForm->ReadRemoteMenuItem, {ChooseFile("RemoteOpenDialog", QFile("rescued.zvr")), [&](QWidget* w) {
                                       replace = qobject_cast<QMessageBox*>(w)->text();
                                       PressKey(w, Qt::Key_Return);
                                     }});
  EXPECT_EQ(replace, QStringLiteral("Proband Jan Nový (05. 03. 2007) už je v databázi uložen, soubor však obsahuje "
                                    "jiné poznámky. Chcete uložený záznam nahradit záznamem ze souboru?"));
  EXPECT_EQ(ReadAll(File("zovi.db")), db);
  Run(MainForm->ReadRemoteMenuItem,
      {ChooseFile("RemoteOpenDialog", QFile("rescued.zvr")), AnswerBox("Potvrzení", QMessageBox::Yes)});
  rescued.Id = 1;
  EXPECT_EQ(ReadAll(File("zovi.db")), Bytes(rescued));
}

TEST_F(MainFormTest, ShortResultFileIsReportedAndStoresNothing) {
  MainForm->FormCreate();
  WriteAll(File("short.zvr"), Bytes(Respondent("Jan", 40000, 'j')).substr(0, RecordSize - 1));
  QString error;
  Run(MainForm->ReadRemoteMenuItem,
      {ChooseFile("RemoteOpenDialog", QFile("short.zvr")), AnswerBox("Chyba", QMessageBox::Ok, &error)});
  EXPECT_EQ(error, QStringLiteral("Read beyond end of file"));
  EXPECT_EQ(ReadAll(File("zovi.db")).size(), 0u);
}

TEST_F(MainFormTest, BackupRestoreAndExportReportWithTheirMessages) {
  MainForm->FormCreate();
  const std::string a = Bytes(Respondent("Adam", 40000, 'a'));
  const std::string b = Bytes(Respondent("Berta", 40001, 'b'));
  WriteAll(File("zovi.db"), a);

  QString text;
  Run(MainForm->Zlohovatdatabzi1,
      {ChooseFile("backupSaveDialog", QFile("zaloha")), AnswerBox("Informace", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("Databáze byla zálohována."));
  EXPECT_EQ(ReadAll(File("zaloha.dba")), a);  // the default extension was added

  WriteAll(File("other.dba"), b + a);
  Run(MainForm->Obnovitzezlohy1,
      {ChooseFile("backupOpenDialog", QFile("other.dba")), AnswerBox("Informace", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("Položky databáze byly načteny."));
  EXPECT_EQ(ReadAll(File("zovi.db")).size(), 2 * RecordSize);  // Berta merged in, Adam kept once

  // A backup cut short: its whole records are loaded, and the rest is reported.
  WriteAll(File("cut.dba"), Bytes(Respondent("Cyril", 40002, 'c')) + "incomplete");
  Run(MainForm->Obnovitzezlohy1,
      {ChooseFile("backupOpenDialog", QFile("cut.dba")), AnswerBox("Informace", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("Položky databáze byly načteny. Soubor zálohy končil neúplným záznamem, který nebyl "
                                 "načten."));

  // A backup that brings no one new, or holds no one, says so.
  for (const auto& [name, bytes] : {std::pair{"same.dba", a}, std::pair{"empty.dba", std::string()}}) {
    WriteAll(File(name), bytes);
    Run(MainForm->Obnovitzezlohy1,
        {ChooseFile("backupOpenDialog", QFile(name)), AnswerBox("Informace", QMessageBox::Ok, &text)});
    EXPECT_EQ(text, bytes.empty()
                        ? QStringLiteral("Soubor zálohy neobsahuje žádného probanda. Databáze nebyla změněna.")
                        : QStringLiteral("Všichni probandi ze zálohy už v databázi jsou uloženi. Databáze "
                                         "nebyla změněna."));
  }

  WriteAll(File("data_zovi.csv"), "old content");
  Run(MainForm->ExportovatdoCSV1,
      {ChooseFile("CSVSaveDialog", QFile("data_zovi.csv")), AnswerBox("Informace", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("Export dat do souboru \"") + QFile("data_zovi.csv") + QStringLiteral("\" proveden."));
  const std::string csv = ReadAll(File("data_zovi.csv"));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);  // header and three respondents, the old content gone
}

TEST_F(MainFormTest, AFailingCommandShowsTheErrorAndNotItsMessage) {
  MainForm->FormCreate();
  std::remove(File("zovi.db").c_str());
  QString text;
  Run(MainForm->Zlohovatdatabzi1,
      {ChooseFile("backupSaveDialog", QFile("z.dba")), AnswerBox("Chyba", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("File not found"));
}

}  // namespace

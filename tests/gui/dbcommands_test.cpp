// The database commands of the main window under a careless user: dotted
// file names, a disk that fills up, awkward names and notes, markup in a
// name, a read-only settings file, and the toolkit's texts in Czech.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <cstring>
#include <filesystem>

#include "cp1250.h"
#include "datetime.h"
#include "forms.h"
#include "framework.h"
#include "gui_driver.h"
#include "main.h"
#include "mainform_start.h"
#include "platform/recordfile_testutil.h"
#include "support/csv_reader.h"
#include "testrun.h"

namespace {

TResultRecord Respondent(const std::string& utf8Name, char idLetter, const std::string& utf8Notes = {}) {
  TResultRecord r{};
  r.Name.assign(Utf8ToCp1250(utf8Name));
  r.Sex = 1;
  r.Age = 16;
  r.ScoreSheet.TestDate = EncodeDateTime(2024, 3, 12, 9, 15, 0);
  for (int s = 0; s < 6; ++s) r.ScoreSheet.RawScores[s] = 20 + 4 * s;
  for (auto& a : r.ScoreSheet.Answers) a = 3;
  r.UniqueId.assign(std::string(50, idLetter));
  std::strcpy(r.Notes, Utf8ToCp1250(utf8Notes).c_str());
  return r;
}

std::string Bytes(const std::vector<TResultRecord>& records) {
  std::string bytes;
  for (const auto& r : records) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
  return bytes;
}

QString WithoutMnemonic(QString text) {
  return text.remove(QLatin1Char('&'));
}

// The texts of a dialog's buttons, without their mnemonics.
QStringList ButtonTexts(QWidget* window) {
  QStringList texts;
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->isVisible() && !b->text().isEmpty()) texts << WithoutMnemonic(b->text());
  return texts;
}

class DatabaseCommands : public TMainFormTest {
 protected:
  void SetUp() override {
    TMainFormTest::SetUp();
    MainForm->FormCreate();
  }

  // Runs a menu command while `steps` answer its dialogs and boxes; all of them must be used.
  static void Run(QAction* action, std::vector<TModalAnswers::Step> steps) {
    const auto expected = static_cast<int>(steps.size());
    TModalAnswers answers(std::move(steps));
    action->trigger();
    EXPECT_EQ(answers.Acted(), expected);
  }

  std::string File(const QString& name) const { return QFile::encodeName(Path(name)).toStdString(); }
  QString Path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
  QStringList Names() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
};

TEST_F(DatabaseCommands, DottedNamesGetTheirExtensionAndAreFoundAgain) {
  const std::string records = Bytes({Respondent("Adam", 'a'), Respondent("Berta", 'b')});
  WriteBytes(DatabaseFileName, records);
  QString text;
  for (const QString& name : {QStringLiteral("zaloha 12.3.2024"), QStringLiteral("záloha č. 1"),
                              QStringLiteral("zaloha_v1.0"), QStringLiteral("ZALOHA.DBA")}) {
    Run(MainForm->Zlohovatdatabzi1,
        {AnswerFileDialog("backupSaveDialog", name), AnswerBox("Informace", QMessageBox::Ok, &text)});
    EXPECT_EQ(text, QStringLiteral("Databáze byla zálohována."));
  }
  EXPECT_EQ(ReadBytes(File("zaloha 12.3.2024.dba")), records);
  EXPECT_EQ(ReadBytes(File("záloha č. 1.dba")), records);
  EXPECT_EQ(ReadBytes(File("zaloha_v1.0.dba")), records);
  EXPECT_EQ(ReadBytes(File("ZALOHA.DBA")), records);  // it has the extension already

  // The restore takes the dotted backup and lists what its filter names.
  WriteBytes(File("zaloha 12.3.2024.dba"), Bytes({Respondent("Cyril", 'c')}));
  Run(MainForm->Obnovitzezlohy1, {[&](QWidget* w) {
                                    auto* dialog = qobject_cast<QFileDialog*>(w);
                                    ASSERT_NE(dialog, nullptr);
                                    EXPECT_EQ(dialog->nameFilters(), QStringList{"Soubor zálohy ZOVI (*.dba)"});
                                    AnswerFileDialog("backupOpenDialog", QStringLiteral("zaloha 12.3.2024.dba"))(w);
                                  },
                                  AnswerBox("Informace", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("Položky databáze byly načteny."));
  EXPECT_EQ(ReadBytes(DatabaseFileName).size(), 3 * RecordSize);

  Run(MainForm->ExportovatdoCSV1, {AnswerFileDialog("CSVSaveDialog", QStringLiteral("data 12.3.2024")),
                                   AnswerBox("Informace", QMessageBox::Ok, &text)});
  EXPECT_EQ(text, QStringLiteral("Export dat do souboru \"%1\" proveden.").arg(Path("data 12.3.2024.csv")));
  EXPECT_EQ(ReadCsv(ReadBytes(File("data 12.3.2024.csv"))).size(), 4u);
}

TEST_F(DatabaseCommands, AFullDiskOrTheDatabaseAsTargetLeavesEveryFileAsItWas) {
  const std::string database =
      Bytes({Respondent("A", 'a'), Respondent("B", 'b'), Respondent("C", 'c'), Respondent("D", 'd')});
  WriteBytes(DatabaseFileName, database);
  const std::string oldBackup = Bytes({Respondent("Stará", 's')});
  WriteBytes(File("zaloha.dba"), oldBackup);
  WriteBytes(File("data_zovi.csv"), "old export\r\n");
  QString backupError, csvError;
  {
    TFileSizeLimit full(600);  // room for neither the new backup nor the new export
    Run(MainForm->Zlohovatdatabzi1, {AnswerFileDialog("backupSaveDialog", QStringLiteral("zaloha")),
                                     AnswerBox("Chyba", QMessageBox::Ok, &backupError)});
    Run(MainForm->ExportovatdoCSV1, {AnswerFileDialog("CSVSaveDialog", QStringLiteral("data_zovi.csv")),
                                     AnswerBox("Chyba", QMessageBox::Ok, &csvError)});
  }
  EXPECT_EQ(backupError, QStringLiteral("Disk full"));
  EXPECT_EQ(csvError, QStringLiteral("Disk full"));
  EXPECT_TRUE(ReadBytes(File("zaloha.dba")) == oldBackup);
  EXPECT_EQ(ReadBytes(File("data_zovi.csv")), "old export\r\n");
  EXPECT_TRUE(ReadBytes(DatabaseFileName) == database);
  EXPECT_EQ(Names(), (QStringList{"data_zovi.csv", "zaloha.dba", "zovi.db", "zovi.ini"}));

  // The database itself as the backup (through a link, as the dialog adds ".dba") is refused in Czech.
  std::filesystem::create_symlink("zovi.db", File("db.dba"));
  QString refusal;
  Run(MainForm->Zlohovatdatabzi1,
      {AnswerFileDialog("backupSaveDialog", QStringLiteral("db.dba")), AnswerBox("Chyba", QMessageBox::Ok, &refusal)});
  EXPECT_TRUE(refusal.startsWith(QStringLiteral("Zálohu nelze uložit do souboru databáze "))) << refusal.toStdString();
  EXPECT_TRUE(ReadBytes(DatabaseFileName) == database);
}

TEST_F(DatabaseCommands, AwkwardNamesAndNotesExportAsEightySixFields) {
  const std::vector<TResultRecord> records = {
      Respondent("Petr; Pavel", 'p', "poznámka; se středníkem"),
      Respondent("Jan \"Honza\" Novák", 'j', "\"první řádek\",druhý"),
      Respondent("Eva", 'e', "\"řádek s \"\"uvozovkami\"\"\",\"a;b\""),
      Respondent("Obyčejná Jana", 'o', "krátce"),
  };
  WriteBytes(DatabaseFileName, Bytes(records));
  Run(MainForm->ExportovatdoCSV1,
      {AnswerFileDialog("CSVSaveDialog", QStringLiteral("data_zovi.csv")), AnswerBox("Informace", QMessageBox::Ok)});
  const auto rows = ReadCsv(ReadBytes(File("data_zovi.csv")));
  ASSERT_EQ(rows.size(), records.size() + 1);
  for (std::size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(rows[i + 1].size(), 86u);
    EXPECT_EQ(rows[i + 1][0], records[i].Name.str());
    EXPECT_EQ(rows[i + 1][1], Utf8ToCp1250("Žena"));
    EXPECT_EQ(rows[i + 1][2], "16");
    EXPECT_EQ(rows[i + 1][85], RecordNotes(records[i]));
  }
}

TEST_F(DatabaseCommands, BoxesShowMarkupAsTypedAndSpeakCzech) {
  const QString name = QStringLiteral("<b>Tučný</b> <img src=x>");
  WriteBytes(File("markup.zvr"), Bytes({Respondent(name.toStdString(), 'm')}));
  Run(MainForm->ReadRemoteMenuItem,
      {AnswerFileDialog("RemoteOpenDialog", QStringLiteral("markup.zvr")), [&](QWidget* w) {
         auto* box = qobject_cast<QMessageBox*>(w);
         ASSERT_NE(box, nullptr);
         EXPECT_EQ(box->textFormat(), Qt::PlainText);
         auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
         ASSERT_NE(label, nullptr);
         EXPECT_EQ(label->textFormat(), Qt::PlainText);
         EXPECT_EQ(label->text(), QStringLiteral("Chcete opravdu přidat probanda ") + name +
                                      QStringLiteral(" (12. 03. 2024) do databáze?"));
         EXPECT_EQ(WithoutMnemonic(box->button(QMessageBox::Yes)->text()), QStringLiteral("Ano"));
         EXPECT_EQ(WithoutMnemonic(box->button(QMessageBox::No)->text()), QStringLiteral("Ne"));
         PressBoxButton(w, QMessageBox::No);
       }});
  EXPECT_EQ(ReadBytes(DatabaseFileName), "");

  // The save dialog's own texts are Czech too.
  Run(MainForm->Zlohovatdatabzi1, {[](QWidget* w) {
        const QStringList buttons = ButtonTexts(w);
        EXPECT_TRUE(buttons.contains(QStringLiteral("Uložit"))) << buttons.join(", ").toStdString();
        EXPECT_TRUE(buttons.contains(QStringLiteral("Zrušit"))) << buttons.join(", ").toStdString();
        EXPECT_FALSE(buttons.contains(QStringLiteral("Save")) || buttons.contains(QStringLiteral("Cancel")));
        auto* fileName = w->findChild<QLabel*>(QStringLiteral("fileNameLabel"));
        ASSERT_NE(fileName, nullptr);
        EXPECT_NE(WithoutMnemonic(fileName->text()), QStringLiteral("File name:"));
        AnswerFileDialog("backupSaveDialog", {})(w);
      }});
}

TEST_F(DatabaseCommands, SettingsFileReadOnlyIsReportedAndALinkIsWrittenThrough) {
  const std::string ini = File("zovi.ini");
  WriteBytes(ini, "[Jiné]\nA=1\n");
  ::chmod(ini.c_str(), 0444);
  QString error;
  {
    TModalAnswers answers(Steps(AnswerBox("Chyba", QMessageBox::Ok, &error)));
    MainForm->FormCreate();
    EXPECT_EQ(answers.Acted(), 1);
  }
  EXPECT_EQ(error, QStringLiteral("File access denied"));
  EXPECT_EQ(ReadBytes(ini), "[Jiné]\nA=1\n");
  EXPECT_EQ(Names(), (QStringList{"zovi.db", "zovi.ini"}));
  ::chmod(ini.c_str(), 0644);

  std::filesystem::create_directory(File("shared"));
  std::filesystem::remove(ini);
  WriteBytes(File("shared/zovi.ini"), "[Jiné]\r\nA=1\r\n");
  std::filesystem::create_symlink("shared/zovi.ini", ini);
  MainForm->FormCreate();
  EXPECT_TRUE(std::filesystem::is_symlink(ini));
  EXPECT_EQ(ReadBytes(File("shared/zovi.ini")), "[Jiné]\r\nA=1\r\n[ZOVI]\r\nRequireAll=0\r\n");
}

}  // namespace

// The list of stored respondents through its real window, opened from the
// main window: listing and order, reopening a respondent in a stand-in results
// screen, files changed or damaged under the list, and the personal-data dialog.
#include "dbbrowser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstring>
#include <filesystem>

#include "blank.h"
#include "commatext.h"
#include "cp1250.h"
#include "datetime.h"
#include "framework.h"
#include "gui_driver.h"
#include "info.h"
#include "main.h"
#include "notes.h"
#include "platform/recordfile_testutil.h"

namespace {

TResultRecord Respondent(const std::string& utf8Name, double testDate) {
  TResultRecord r{};
  InitResultRecord(r);
  r.Name.assign(Utf8ToCp1250(utf8Name));
  r.ScoreSheet.TestDate = testDate;
  for (int i = 0; i < 60; ++i) r.ScoreSheet.Answers[i] = static_cast<std::int16_t>(1 + i % 5);
  return r;
}

TResultRecord StoredAt(const std::string& bytes, std::size_t position) {
  TResultRecord r;
  std::memcpy(&r, bytes.data() + position * RecordSize, RecordSize);
  return r;
}

// The list's rows: caption and date of each, top to bottom.
QStringList Rows() {
  QStringList rows;
  for (int i = 0; i < DatabaseForm->ListView->Count(); ++i) {
    const TListItem& item = DatabaseForm->ListView->Item(i);
    rows << item.Caption + QStringLiteral(" | ") + item.SubItems.value(0);
  }
  return rows;
}

QStringList Names() {
  QStringList names;
  for (int i = 0; i < DatabaseForm->ListView->Count(); ++i) names << DatabaseForm->ListView->Item(i).Caption;
  return names;
}

// A mouse click on a row of the list, or on a column heading.
void ClickRow(int row) {
  TListView* list = DatabaseForm->ListView;
  const QRect cell = list->visualRect(list->model()->index(row, 0));
  ClickAt(DatabaseForm, list->viewport()->mapTo(DatabaseForm, cell.center()));
}

void ClickHeading(int column) {
  QHeaderView* header = DatabaseForm->ListView->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
  ClickAt(DatabaseForm, header->viewport()->mapTo(DatabaseForm, at));
}

// A stand-in for the results screen: its record, its notes memo (refusing
// notes that would not fit, as the real one does), and what happens while it is shown.
struct TStandInScreen {
  TResultRecord Record{};
  QPlainTextEdit NoteMemo;
  std::function<void()> WhileShown;
  int Shown = 0;
  std::function<bool(TResultRecord&)> program = ResultsScreen;

  TStandInScreen() {
    LimitNotes(NoteMemo);
    ResultsScreen = [this](TResultRecord& R) {
      LoadNotes(NoteMemo, R);
      Record = R;
      ++Shown;
      if (WhileShown) WhileShown();
      R = Record;
      StoreNotes(NoteMemo, R);
      return true;
    };
  }
  ~TStandInScreen() { ResultsScreen = program; }
};

class DatabaseBrowserTest : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    // The main window starts up in a folder of its own, so nothing lands where the tests run.
    static QTemporaryDir startDir;
    const QString saved = QDir::currentPath();
    QDir::setCurrent(startDir.path());
    InitFrameworkTables();
    if (!MainForm) CreateForm(MainForm);
    if (!BlankForm) CreateForm(BlankForm);
    if (!DatabaseForm) CreateForm(DatabaseForm);
    if (!InfoForm) CreateForm(InfoForm);
    QDir::setCurrent(saved);
  }

  void SetUp() override {
    DatabaseFileName = dir_.File("zovi.db");
    CreateEmptyFile(DatabaseFileName);
  }

  void Store(const std::vector<TResultRecord>& records) {
    for (TResultRecord r : records) AppendRecord(r);
  }
  std::string Database() const { return ReadBytes(DatabaseFileName); }

  // Opens the browser from the main window's menu while `steps` answer it and the boxes it shows.
  void Browse(std::vector<TModalAnswers::Step> steps) {
    const auto expected = static_cast<int>(steps.size());
    TModalAnswers answers(std::move(steps));
    MainForm->DatabaseMenuItem->trigger();
    EXPECT_EQ(answers.Acted(), expected);
  }

  TTempDir dir_;
};

TEST_F(DatabaseBrowserTest, ListsByNameOrNewestFirstAndEnablesTheButtonOnAClick) {
  // An empty database: an empty list, the button disabled, the other two hidden.
  TModalAnswers empty(Steps([](QWidget* w) {
    EXPECT_EQ(w, DatabaseForm);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Databáze probandů"));
    EXPECT_EQ(DatabaseForm->ListView->Count(), 0);
    EXPECT_FALSE(DatabaseForm->ReportButton->isEnabled());
    EXPECT_FALSE(DatabaseForm->InfoButton->isVisible());
    EXPECT_FALSE(DatabaseForm->DeleteButton->isVisible());
    ClickRow(0);
    EXPECT_FALSE(DatabaseForm->ReportButton->isEnabled());
    PlatformClose(w);
  }));
  MainForm->ShowCentred();
  Click(MainForm, "DatabaseButtonImage");  // the picture button opens it too
  MainForm->hide();
  EXPECT_TRUE(empty.Done());

  Store({Respondent("adam", EncodeDateTime(2007, 3, 5, 9, 4, 7)), Respondent("Čapek", EncodeDateTime(2010, 1, 1)),
         Respondent("Adam", EncodeDateTime(2008, 12, 31, 23, 59, 59)), Respondent("Zdeněk", EncodeDateTime(2009, 6, 7)),
         Respondent("Ad", EncodeDateTime(2011, 10, 20, 14, 0, 0))});
  const QStringList byName{"Ad | 20.10.2011 - 14:00:00", "Adam | 31.12.2008 - 23:59:59", "Zdeněk | 7.6.2009 - 00:00:00",
                           "adam | 5.3.2007 - 09:04:07", "Čapek | 1.1.2010 - 00:00:00"};
  const QStringList byDate{"Ad", "Čapek", "Zdeněk", "Adam", "adam"};
  Browse(Steps([&](QWidget*) {
    EXPECT_EQ(Rows(), byName);
    EXPECT_FALSE(DatabaseForm->ReportButton->isEnabled());
    ClickRow(1);
    EXPECT_TRUE(DatabaseForm->ReportButton->isEnabled());
    EXPECT_TRUE(DatabaseForm->InfoButton->isEnabled());
    EXPECT_TRUE(DatabaseForm->DeleteButton->isEnabled());
    ClickHeading(1);
    EXPECT_EQ(Names(), byDate);
    EXPECT_EQ(DatabaseForm->ListView->Selected(), 3);  // the selection stays with "Adam"
    ClickHeading(1);                                   // the same heading again: the same order, never reversed
    EXPECT_EQ(Names(), byDate);
    ClickHeading(0);
    EXPECT_EQ(Rows(), byName);
    ClickHeading(1);
    DatabaseForm->Close();
  }));
  // Reopened after sorting by date: by name again, nothing selected.
  Browse(Steps([&](QWidget*) {
    EXPECT_FALSE(DatabaseSortByDate);
    EXPECT_EQ(Rows(), byName);
    EXPECT_FALSE(DatabaseForm->ReportButton->isEnabled());
    DatabaseForm->Close();
  }));
}

TEST_F(DatabaseBrowserTest, AReopenedRespondentKeepsReTakenAnswersAndNotes) {
  Store({Respondent("Beran Jan", EncodeDateTime(2020, 5, 1)), Respondent("Adámková Eva", EncodeDateTime(2021, 5, 1)),
         Respondent("Cikán Petr", EncodeDateTime(2022, 5, 1))});
  const std::string before = Database();
  TResultRecord eva = StoredAt(before, 1);
  const std::string notes = Utf8ToCp1250("první,\"druhá řádka\"");
  std::memcpy(eva.Notes, notes.c_str(), notes.size() + 1);
  UpdateRecord(eva);

  TStandInScreen screen;
  screen.WhileShown = [&] {
    EXPECT_TRUE(BlankForm->isVisible());
    EXPECT_EQ(BlankForm->geometry(), TForm::ScreenRect());
    EXPECT_EQ(screen.Record.UniqueId, eva.UniqueId);
    EXPECT_EQ(screen.NoteMemo.toPlainText(), QStringLiteral("první\ndruhá řádka"));
    // A retake stores its answers itself; then the counsellor types notes.
    for (int i = 0; i < 60; ++i) screen.Record.ScoreSheet.Answers[i] = 5;
    UpdateRecord(screen.Record);
    screen.NoteMemo.setPlainText(QStringLiteral("nová poznámka, s čárkou\n\nkonec"));
  };
  Browse(Steps([&](QWidget*) {
    ClickRow(0);
    Click(DatabaseForm, "ReportButton");
    EXPECT_EQ(screen.Shown, 1);
    EXPECT_FALSE(BlankForm->isVisible());
    EXPECT_EQ(DatabaseForm->ListView->Selected(), 0);  // the same list and selection
    DatabaseForm->Close();
  }));
  const std::string after = Database();
  const TResultRecord stored = StoredAt(after, 1);
  EXPECT_EQ(stored.ScoreSheet.Answers[0], 5);
  EXPECT_EQ(stored.ScoreSheet.Answers[59], 5);
  EXPECT_EQ(RecordNotes(stored), Utf8ToCp1250("\"nová poznámka, s čárkou\",,konec"));
  EXPECT_EQ(after.substr(0, RecordSize), before.substr(0, RecordSize));
  EXPECT_EQ(after.substr(2 * RecordSize), before.substr(2 * RecordSize));

  // The next opening shows the notes typed last time; the answers are kept when nothing is re-taken.
  screen.WhileShown = [&] {
    EXPECT_EQ(screen.NoteMemo.toPlainText(), QStringLiteral("nová poznámka, s čárkou\n\nkonec"));
    EXPECT_EQ(screen.Record.ScoreSheet.Answers[0], 5);
  };
  Browse(Steps([&](QWidget*) {
    ClickRow(0);
    Click(DatabaseForm, "ReportButton");
    DatabaseForm->Close();
  }));
  EXPECT_EQ(screen.Shown, 2);
  EXPECT_EQ(Database(), after);
}

TEST_F(DatabaseBrowserTest, AFileChangedUnderTheListIsReportedAndNothingIsWritten) {
  Store({Respondent("Alois", EncodeDateTime(2020, 1, 1)), Respondent("Bohumil", EncodeDateTime(2020, 1, 2)),
         Respondent("Cyril", EncodeDateTime(2020, 1, 3))});
  TStandInScreen screen;
  const std::string full = Database();
  std::string shortened;
  QString text, sortError;
  // Shortened: the selected record is gone.
  Browse({[&](QWidget*) {
            ClickRow(2);
            shortened = full.substr(0, 2 * RecordSize);
            WriteBytes(DatabaseFileName, shortened);
            ClickHeading(1);  // the sort cannot read the lost record
          },
          AnswerBox("Chyba", QMessageBox::Ok, &sortError),
          [&](QWidget*) {
            EXPECT_EQ(Names(), (QStringList{"Alois", "Bohumil", "Cyril"}));  // left as it was
            Click(DatabaseForm, "ReportButton");
          },
          AnswerBox("Chyba", QMessageBox::Ok, &text),
          [&](QWidget*) {
            EXPECT_EQ(Names(), (QStringList{"Alois", "Bohumil"}));  // read anew
            DatabaseForm->Close();
          }});
  EXPECT_EQ(sortError, QStringLiteral("Read beyond end of file"));
  EXPECT_TRUE(text.startsWith(QStringLiteral("Databáze se od načtení seznamu změnila"))) << text.toStdString();
  EXPECT_EQ(screen.Shown, 0);
  EXPECT_EQ(Database(), shortened);

  // Restored from elsewhere: another respondent now lies where the selected one was.
  WriteBytes(DatabaseFileName, full);
  std::string replaced;
  Browse({[&](QWidget*) {
            ClickRow(1);
            TResultRecord other = Respondent("Bohumil", EncodeDateTime(2020, 1, 2));
            other.Id = StoredAt(full, 1).Id;
            replaced = full;
            std::memcpy(replaced.data() + RecordSize, &other, RecordSize);
            WriteBytes(DatabaseFileName, replaced);
            Click(DatabaseForm, "ReportButton");
          },
          AnswerBox("Chyba", QMessageBox::Ok, &text),
          [&](QWidget*) {
            EXPECT_FALSE(DatabaseForm->ReportButton->isEnabled());
            DatabaseForm->Close();
          }});
  EXPECT_EQ(screen.Shown, 0);
  EXPECT_EQ(Database(), replaced);
}

TEST_F(DatabaseBrowserTest, AnIncompleteLastRecordIsLeftOutAndAMissingDatabaseIsReported) {
  Store({Respondent("Cyril", EncodeDateTime(2020, 1, 3)), Respondent("Alois", EncodeDateTime(2020, 1, 1))});
  const std::string whole = Database();
  {  // an append that runs out of room leaves no piece of its record behind
    TFileSizeLimit full(whole.size() + 3000);
    TResultRecord r = Respondent("Bohumil", EncodeDateTime(2020, 1, 2));
    EXPECT_THROW(AppendRecord(r), EInOutError);
  }
  EXPECT_EQ(Database(), whole);
  // A piece left all the same (by a program ended halfway through an append) is no record.
  WriteBytes(DatabaseFileName, whole + std::string(3000, 'x'));
  Browse(Steps([&](QWidget*) {
    EXPECT_EQ(Names(), (QStringList{"Alois", "Cyril"}));  // sorted: no error stopped the listing
    DatabaseForm->Close();
  }));
  QString text;

  // No file at all, and a folder in its place.
  std::filesystem::remove(DatabaseFileName);
  Browse({AnswerBox("Chyba", QMessageBox::Ok, &text), [&](QWidget*) {
            EXPECT_EQ(DatabaseForm->ListView->Count(), 0);
            DatabaseForm->Close();
          }});
  EXPECT_EQ(text, QStringLiteral("File not found"));
  std::filesystem::create_directory(DatabaseFileName);
  Browse({AnswerBox("Chyba", QMessageBox::Ok, &text), [&](QWidget*) { DatabaseForm->Close(); }});
  EXPECT_FALSE(text.isEmpty());
  EXPECT_TRUE(std::filesystem::is_empty(DatabaseFileName));
  // A pipe is refused at once, not waited on for a writer that never comes.
  std::filesystem::remove(DatabaseFileName);
  ASSERT_EQ(::mkfifo(DatabaseFileName.c_str(), 0600), 0);
  Browse({AnswerBox("Chyba", QMessageBox::Ok, &text), [&](QWidget*) { DatabaseForm->Close(); }});
  EXPECT_EQ(text, QStringLiteral("File access denied"));
}

TEST_F(DatabaseBrowserTest, NotesThatCannotBeStoredBackAreOfferedAsAResultFile) {
  Store({Respondent("Alois", EncodeDateTime(2020, 1, 1))});
  TStandInScreen screen;
  screen.WhileShown = [&] {
    screen.NoteMemo.setPlainText(QStringLiteral("poznámka"));
    std::filesystem::remove(DatabaseFileName);  // the database has gone meanwhile
  };
  QString error;
  Browse({[&](QWidget*) {
            ClickRow(0);
            Click(DatabaseForm, "ReportButton");
            DatabaseForm->Close();
          },
          [&](QWidget* w) {
            EXPECT_FALSE(BlankForm->isVisible());
            AnswerBox("Chyba", QMessageBox::Ok, &error)(w);
          },
          AnswerFileDialog("ResultSaveDialog", {}), AnswerBox("Potvrzení", QMessageBox::No),
          AnswerFileDialog("ResultSaveDialog", QString::fromStdString(dir_.File("alois")))});
  EXPECT_EQ(error, QStringLiteral("Výsledky se nepodařilo uložit do databáze: File not found\nUložte je do souboru "
                                  "výsledku, který lze později načíst do databáze."));
  EXPECT_FALSE(FileExists(DatabaseFileName));
  TResultRecord kept{};
  LoadResultFile(kept, dir_.File("alois.zvr"));
  EXPECT_EQ(kept.Name.str(), "Alois");
  EXPECT_EQ(RecordNotes(kept), Utf8ToCp1250("poznámka"));
}

TEST_F(DatabaseBrowserTest, ThePersonalDataDialogChangesNothingInTheDatabase) {
  Store({Respondent("Alois", EncodeDateTime(2020, 1, 1))});
  const std::string before = Database();
  // Edited and confirmed: the dialog's own record takes the typed values.
  Browse({[](QWidget*) {
            ClickRow(0);
            DatabaseForm->InfoButtonClick();  // the button itself is hidden
          },
          [](QWidget* w) {
            EXPECT_EQ(w, InfoForm);
            EXPECT_EQ(InfoForm->ResultRecord.Name.str(), "Alois");
            EXPECT_NE(InfoForm->JmenoEdit->text(), QStringLiteral("Alois"));  // not filled from the record
            InfoForm->JmenoEdit->setText(QStringLiteral("Šimon Řezník"));
            // The age box clicked near its right edge, far past its three positions.
            QLineEdit* age = InfoForm->VekEdit;
            ClickAt(w, age->mapTo(w, QPoint(age->width() - 3, age->height() / 2)));
            TypeText(age, QStringLiteral("123"));
            InfoForm->PohlaviComboBox->setCurrentIndex(1);
            InfoForm->VzdelaniComboBox->setCurrentIndex(5);
            InfoForm->StudiumComboBox->setCurrentIndex(3);
            Click(w, "EditButton");
          },
          [](QWidget*) {
            EXPECT_EQ(InfoForm->ResultRecord.Name.str(), Utf8ToCp1250("Šimon Řezník"));
            EXPECT_EQ(InfoForm->ResultRecord.Age, 123);
            EXPECT_EQ(InfoForm->ResultRecord.Sex, 1);
            EXPECT_EQ(InfoForm->ResultRecord.Education, 5);
            EXPECT_EQ(InfoForm->ResultRecord.ExpectedEducation, 3);
            DatabaseForm->InfoButtonClick();
          },
          [](QWidget* w) {
            EXPECT_EQ(InfoForm->JmenoEdit->text(), QStringLiteral("Šimon Řezník"));  // kept from last time
            InfoForm->VekEdit->clear();
            Click(w, "CancelButton");
          },
          [](QWidget*) {
            EXPECT_EQ(InfoForm->ResultRecord.Age, -1);
            DatabaseForm->InfoButtonClick();
          },
          [](QWidget* w) { PlatformClose(w); }, [](QWidget*) { DatabaseForm->Close(); }});
  EXPECT_EQ(Database(), before);
}

}  // namespace

// Whole test runs from the main window through the real windows: the stored
// record, the results screen and its notes and retake, the runs that store
// nothing, and a database that cannot take the record.
#include "test.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

#include "blank.h"
#include "cp1250.h"
#include "datetime.h"
#include "framework.h"
#include "gui_driver.h"
#include "input.h"
#include "kiosk.h"
#include "main.h"
#include "outro.h"
#include "platform/recordfile_testutil.h"
#include "print.h"
#include "testrun.h"
#include "textcodec.h"

namespace {

using TAnswers = std::array<int, ItemCount + 1>;  // by item number; 0 leaves the item unanswered

// Answers on every item, varied so that the scales differ.
TAnswers FullAnswers() {
  const int base[ScaleCount] = {4, 2, 3, 5, 4, 1};
  TAnswers a{};
  for (int n = 1; n <= ItemCount; ++n) a[n] = std::clamp(base[(n - 1) % ScaleCount] + ((n - 1) / 6) % 3 - 1, 1, 5);
  return a;
}

std::vector<TResultRecord> StoredRecords() {
  std::ifstream in(DatabaseFileName, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes.size() % sizeof(TResultRecord), 0u);
  std::vector<TResultRecord> records(bytes.size() / sizeof(TResultRecord));
  if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(TResultRecord));
  return records;
}

// A step for the named window.
TModalAnswers::Step On(const QString& name, std::function<void(QWidget*)> act) {
  return [name, act](QWidget* w) {
    EXPECT_EQ(w->objectName(), name);
    if (w->objectName() == name) act(w);
  };
}

// The run's lock and backdrop hold while a run's window is shown.
void ExpectLocked() {
  EXPECT_TRUE(KioskLocked());
  EXPECT_TRUE(BlankForm->isVisible());
}

TModalAnswers::Step PagesThrough() {
  return On(QStringLiteral("IntroForm"), [](QWidget* w) {
    ExpectLocked();
    Click(w, QStringLiteral("nextbuttonimage"));
    Click(w, QStringLiteral("nextbuttonimage"));
  });
}

TModalAnswers::Step PersonalData(const QString& name, int sex, const QString& age, int education) {
  return On(QStringLiteral("InputForm"), [=](QWidget* w) {
    TInputForm* f = InputForm;
    f->JmenoEdit->setFocus();
    TypeText(f->JmenoEdit, name);
    f->PohlaviComboBox->setFocus();
    for (int i = 0; i <= sex; ++i) PressKey(w, Qt::Key_Down);
    f->VekEdit->setFocus();
    TypeText(f->VekEdit, age);
    f->VzdelaniComboBox->setFocus();
    for (int i = 0; i <= education; ++i) PressKey(w, Qt::Key_Down);
    Click(w, QStringLiteral("nextbuttonimage"));
  });
}

// The questionnaire's pages answered through their boxes, then Next on each page.
TModalAnswers::Step Questionnaire(TAnswers answers) {
  return On(QStringLiteral("TestForm"), [answers](QWidget* w) {
    for (int page = 1; page <= 10; ++page) {
      for (int row = 0; row < 6; ++row) {
        const int choice = answers[6 * (page - 1) + row + 1];
        if (choice == 0) continue;
        TImage* box = TestForm->BoxColumns[6 - choice][row];  // the columns run from 5 down to 1
        const QPoint at = box->mapTo(w, QPoint(3, 18));
        MoveMouse(w, at);
        ClickAt(w, at);
      }
      Click(w, QStringLiteral("nextbuttonimage"));
    }
  });
}

TModalAnswers::Step Picture(const char* name, const char* button) {
  return On(QString::fromLatin1(name), [button](QWidget* w) { Click(w, QString::fromLatin1(button)); });
}

TModalAnswers::Step CtrlJ(const char* name) {
  return On(QString::fromLatin1(name), [](QWidget* w) { PressCtrlJ(w); });
}

class WholeRun : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    InitFrameworkTables();
    InitContentTables();
    if (!TestForm) CreateTestRunForms();
    if (!PrintForm) CreateForm(PrintForm);
    if (!OutroForm) CreateForm(OutroForm);
    if (!MainForm) {
      QTemporaryDir start;
      const QString saved = QDir::currentPath();
      ASSERT_TRUE(start.isValid() && QDir::setCurrent(start.path()));
      CreateForm(MainForm);
      QDir::setCurrent(saved);
    }
  }

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    saved_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    MainForm->FormCreate();
  }
  void TearDown() override {
    QDir::setCurrent(saved_);
    GuiTest::TearDown();
  }

  // Runs one test run from the main window's button; every step must be used.
  void Run(std::vector<TModalAnswers::Step> steps) {
    const auto expected = static_cast<int>(steps.size());
    TModalAnswers answers(std::move(steps), 20000);
    MainForm->NewTestMenuItemClick();
    EXPECT_EQ(answers.Acted(), expected) << answers.Windows().join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(KioskLocked());
    EXPECT_FALSE(BlankForm->isVisible());
  }

  QTemporaryDir dir_;
  QString saved_;
};

}  // namespace

TEST_F(WholeRun, WholeRunStoresTheRecordShowsTheResultsAndStoresTheNotes) {
  TAnswers withGaps = FullAnswers();
  TAnswers gaps{};
  for (int item : {1, 8}) {  // one gap in R, one in I
    gaps[item] = withGaps[item];
    withGaps[item] = 0;
  }
  double finished = 0;  // the questionnaire ended
  double closing = 0;   // the closing picture is being closed
  std::vector<TResultRecord> whileShown;
  Run({PagesThrough(), PersonalData(QStringLiteral("Jana Nováková"), sxFemale, QStringLiteral("  7"), 4),
       PagesThrough(), Questionnaire(withGaps), Picture("CorrectForm", "yesbuttonimage"), Questionnaire(gaps),
       On(QStringLiteral("FinishForm"),
          [&](QWidget* w) {
            ExpectLocked();
            finished = Now();
            QTest::qWait(60);
            closing = Now();
            PressCtrlJ(w);
          }),
       On(QStringLiteral("OutroForm"), [&](QWidget* w) {
         ExpectLocked();
         whileShown = StoredRecords();
         EXPECT_EQ(OutroForm->KodLabel->text(), QString::fromLatin1(PrintForm->CodeText.c_str()));
         EXPECT_FALSE(OutroForm->KodLabel->text().isEmpty());
         EXPECT_EQ(FromCp1250(PrintForm->PersonLines[0]), QStringLiteral("Jana Nováková, žena, 7 let"));
         EXPECT_TRUE(OutroForm->NoteMemo->toPlainText().isEmpty());
         Click(w, QStringLiteral("notebuttonimage"));
         TypeText(OutroForm->NoteMemo, QStringLiteral("Zájem o přírodu\nsport, hudba"));
         Click(w, QStringLiteral("closebuttonimage"));
       })});

  ASSERT_EQ(whileShown.size(), 1u);
  const std::vector<TResultRecord> stored = StoredRecords();
  ASSERT_EQ(stored.size(), 1u);
  const TResultRecord& r = stored[0];
  EXPECT_EQ(r.Name.str(), Utf8ToCp1250("Jana Nováková"));
  EXPECT_EQ(r.Education, 4);
  EXPECT_EQ(r.Age, 7);
  EXPECT_EQ(r.Sex, sxFemale);
  EXPECT_EQ(r.ExpectedEducation, edNotChosen);
  const TAnswers full = FullAnswers();
  for (int n = 1; n <= ItemCount; ++n) EXPECT_EQ(r.ScoreSheet.Answers[n - 1], full[n]) << n;
  TScoreSheet scored = r.ScoreSheet;
  EXPECT_TRUE(ComputeRawScores(scored));
  EXPECT_TRUE(std::equal(scored.RawScores, scored.RawScores + ScaleCount, r.ScoreSheet.RawScores));
  EXPECT_GE(r.ScoreSheet.TestDate, closing);
  EXPECT_LT(r.ScoreSheet.TestDate, closing + 1.0 / 86400);
  EXPECT_GT(closing - finished, 0.05 / 86400);
  EXPECT_EQ(r.Id, 1);
  EXPECT_EQ(r.KeyExtra, 0);
  EXPECT_EQ(r.UniqueId.view().size(), 50u);
  EXPECT_EQ(RecordNotes(whileShown[0]), "");
  EXPECT_EQ(RecordNotes(r), Utf8ToCp1250("\"Zájem o přírodu\",\"sport, hudba\""));
  // Apart from the notes and the converted scores, the stored record is the one appended.
  EXPECT_EQ(std::memcmp(&r, &whileShown[0], offsetof(TResultRecord, ScoreSheet.Scores)), 0);
}

TEST_F(WholeRun, CancelledAndUnevaluableRunsStoreNothing) {
  Run({CtrlJ("IntroForm")});
  Run({PagesThrough(), PersonalData(QStringLiteral("Petr"), sxMale, QStringLiteral("15"), 0), CtrlJ("IntroForm")});
  TAnswers twoInR = FullAnswers();
  twoInR[1] = twoInR[7] = 0;  // items 1 and 7 are both R
  Run({PagesThrough(), PersonalData(QStringLiteral("Petr"), sxMale, QStringLiteral("15"), 0), PagesThrough(),
       Questionnaire(twoInR), Picture("CorrectForm", "nobuttonimage"), Picture("FailForm", "yesbuttonimage"),
       CtrlJ("FinishForm")});
  EXPECT_TRUE(StoredRecords().empty());
}

TEST_F(WholeRun, RetakeOnTheResultsScreenIsStoredAndAnAbortedOneChangesNothing) {
  TAnswers retake = FullAnswers();
  for (int n = 1; n <= ItemCount; ++n) retake[n] = 6 - retake[n];  // every item answered the other way
  QString codeBefore;
  QString codeAfter;
  std::vector<TResultRecord> afterRetake;
  Run({PagesThrough(), PersonalData(QStringLiteral("Eva"), sxFemale, QStringLiteral("17"), 3), PagesThrough(),
       Questionnaire(FullAnswers()), CtrlJ("FinishForm"),
       On(QStringLiteral("OutroForm"),
          [&](QWidget* w) {
            TypeText(OutroForm->NoteMemo, QStringLiteral("poznámka"));
            codeBefore = OutroForm->KodLabel->text();
            Click(w, QStringLiteral("Testagainbuttonimage"));
          }),
       Questionnaire(retake),  // the answers preset; every one changed
       On(QStringLiteral("OutroForm"),
          [&](QWidget* w) {
            afterRetake = StoredRecords();
            codeAfter = OutroForm->KodLabel->text();
            Click(w, QStringLiteral("Testagainbuttonimage"));
          }),
       CtrlJ("TestForm"), AnswerBox(QStringLiteral("Upozornění"), QMessageBox::Yes),
       On(QStringLiteral("OutroForm"), [&](QWidget* w) {
         EXPECT_EQ(OutroForm->KodLabel->text(), codeAfter);
         EXPECT_EQ(std::memcmp(&StoredRecords()[0], &afterRetake[0], sizeof(TResultRecord)), 0);
         Click(w, QStringLiteral("closebuttonimage"));
       })});

  ASSERT_EQ(afterRetake.size(), 1u);
  EXPECT_NE(codeAfter, codeBefore);
  const std::vector<TResultRecord> stored = StoredRecords();
  ASSERT_EQ(stored.size(), 1u);
  for (int n = 1; n <= ItemCount; ++n) EXPECT_EQ(stored[0].ScoreSheet.Answers[n - 1], retake[n]) << n;
  TScoreSheet scored = stored[0].ScoreSheet;
  ComputeRawScores(scored);
  EXPECT_TRUE(std::equal(scored.RawScores, scored.RawScores + ScaleCount, stored[0].ScoreSheet.RawScores));
  EXPECT_TRUE(std::equal(scored.RawScores, scored.RawScores + ScaleCount, afterRetake[0].ScoreSheet.RawScores));
  // The retake is stored at once with the notes as they were; the memo's notes when the screen closes.
  EXPECT_EQ(RecordNotes(afterRetake[0]), "");
  EXPECT_EQ(RecordNotes(stored[0]), Utf8ToCp1250("poznámka"));
}

TEST_F(WholeRun, DatabaseThatCannotBeWrittenLeavesTheRecordToAResultFile) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("db")));
  DatabaseFileName = dir_.filePath(QStringLiteral("db")).toStdString();  // a folder: cannot be opened
  const QString kept = dir_.filePath(QStringLiteral("kept.zvr"));
  QString error;
  QString proposed;
  Run({PagesThrough(), PersonalData(QStringLiteral("Jan Novák"), sxMale, QStringLiteral("16"), 2), PagesThrough(),
       Questionnaire(FullAnswers()), CtrlJ("FinishForm"),
       [&](QWidget* w) {
         // The error is shown on the unlocked desktop.
         EXPECT_FALSE(KioskLocked());
         EXPECT_FALSE(BlankForm->isVisible());
         error = BoxText(w);
         PressBoxButton(w, QMessageBox::Ok);
       },
       AnswerFileDialog(QStringLiteral("ResultSaveDialog"), QString(), &proposed),
       [](QWidget* w) {
         EXPECT_EQ(BoxText(w), QStringLiteral("Opravdu chcete pokračovat BEZ ULOŽENÍ výsledků?"));
         PressKey(w, Qt::Key_Return);  // keeps the result: the save dialog comes again
       },
       AnswerFileDialog(QStringLiteral("ResultSaveDialog"), kept)});

  EXPECT_TRUE(error.startsWith(QStringLiteral("Výsledky se nepodařilo uložit do databáze: "))) << error.toStdString();
  EXPECT_EQ(proposed, dir_.path() + QStringLiteral("/vysledky_Jan_Nov_k_") +
                          QString::fromStdString(FormatDateTime("yymmdd", Now())) + QStringLiteral(".zvr"));
  TResultRecord r{};
  LoadResultFile(r, kept.toStdString());
  EXPECT_EQ(r.Name.str(), Utf8ToCp1250("Jan Novák"));
  EXPECT_EQ(r.ScoreSheet.Answers[0], FullAnswers()[1]);
  EXPECT_NE(r.ScoreSheet.TestDate, 0);
  EXPECT_TRUE(IsScorableSheet(r));
}

TEST_F(WholeRun, DatabaseChangedUnderTheResultsScreenKeepsTheOtherRespondentAndOffersAResultFile) {
  const std::string old = dir_.filePath(QStringLiteral("jan.zvr")).toStdString();
  WriteBytes(old, "old");
  std::string changed;  // another computer's database copied over this one while the screen is open
  TShortString<50> shown{};
  QString error, question;
  Run({PagesThrough(), PersonalData(QStringLiteral("Jan Novák"), sxMale, QStringLiteral("16"), 2), PagesThrough(),
       Questionnaire(FullAnswers()), CtrlJ("FinishForm"),
       On(QStringLiteral("OutroForm"),
          [&](QWidget* w) {
            TResultRecord other = StoredRecords().at(0);  // the same number, another respondent
            shown = other.UniqueId;
            InitResultRecord(other);
            other.Name.assign("Jiri Jiny");
            changed.assign(reinterpret_cast<const char*>(&other), sizeof other);
            WriteBytes(DatabaseFileName, changed);
            Click(w, QStringLiteral("notebuttonimage"));
            TypeText(OutroForm->NoteMemo, QStringLiteral("poznámka"));
            Click(w, QStringLiteral("closebuttonimage"));
          }),
       [&](QWidget* w) {
         EXPECT_FALSE(KioskLocked());
         AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &error)(w);
       },
       // Typed without its extension, over an existing file: asked, and No returns to the dialog.
       AnswerFileDialog(QStringLiteral("ResultSaveDialog"), QStringLiteral("jan"), nullptr, true),
       AnswerBox(QStringLiteral("Uložit výsledky..."), QMessageBox::No, &question),
       AnswerFileDialog(QStringLiteral("ResultSaveDialog"), QStringLiteral("jan2.zvr  "))});

  EXPECT_TRUE(
      error.startsWith(QStringLiteral("Výsledky se nepodařilo uložit do databáze: Pod číslem 1 je v databázi "
                                      "uložen jiný proband")))
      << error.toStdString();
  EXPECT_TRUE(question.contains(QStringLiteral("jan.zvr"))) << question.toStdString();
  EXPECT_TRUE(ReadBytes(DatabaseFileName) == changed) << "the other respondent was overwritten";
  EXPECT_TRUE(ReadBytes(old) == "old") << "jan.zvr was replaced";
  TResultRecord r{};
  LoadResultFile(r, dir_.filePath(QStringLiteral("jan2.zvr")).toStdString());
  EXPECT_EQ(r.UniqueId, shown);
  EXPECT_EQ(RecordNotes(r), Utf8ToCp1250("poznámka"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), (QStringList{"jan.zvr", "jan2.zvr", "zovi.db", "zovi.ini"}));
}

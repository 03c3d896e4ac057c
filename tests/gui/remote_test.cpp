// The remote testing program through its real windows: the whole run from
// the splash pages to the saved result file, its early ends, the save loop
// with its failures, and the file imported by the main program.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <fstream>

#include "Fail.h"
#include "blank.h"
#include "correct.h"
#include "cp1250.h"
#include "datetime.h"
#include "finish.h"
#include "framework.h"
#include "gui_driver.h"
#include "help.h"
#include "input.h"
#include "intro.h"
#include "kiosk.h"
#include "main.h"
#include "platform/recordfile_testutil.h"
#include "rdone.h"
#include "resultfile.h"
#include "rfinish.h"
#include "rmain.h"
#include "runsteps.h"
#include "test.h"

namespace {

using Step = TModalAnswers::Step;

template <class T>
void Ensure(T*& form) {
  if (!form) CreateForm(form);
}

// The answer the respondent gives to item n (1..60): every rating, every scale scorable.
std::int16_t Rating(int n) {
  return static_cast<std::int16_t>(n % 5 + 1);
}

const Step kCtrlJ = [](QWidget* w) { PressCtrlJ(w); };
const Step kClickPicture = [](QWidget* w) { Click(w, QStringLiteral("Image1")); };

// Key presses that type `text`, letters with diacritics included.
void Type(QWidget* control, const QString& text) {
  for (QChar c : text) QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The personal data typed and chosen with real keys, then Next.
Step PersonalData(const QString& name, int sex, const QString& age, int education) {
  return [=](QWidget* w) {
    InputForm->JmenoEdit->setFocus();
    Type(InputForm->JmenoEdit, name);
    PressKey(w, Qt::Key_Tab);
    for (int i = 0; i <= sex; ++i) PressKey(w, Qt::Key_Down);
    PressKey(w, Qt::Key_Tab);
    Type(InputForm->VekEdit, age);
    PressKey(w, Qt::Key_Tab);
    for (int i = 0; i <= education; ++i) PressKey(w, Qt::Key_Down);
    Click(w, QStringLiteral("nextbuttonimage"));
  };
}

// Every item answered with a click on its box, but those in `gaps`, page by
// page, then Next past the last page.
Step Questionnaire(std::vector<int> gaps = {}) {
  return [gaps](QWidget* w) {
    for (int page = 1; page <= 10; ++page) {
      for (int row = 0; row < TestForm->PageRowCount; ++row) {
        const int n = TestForm->PageFirstItem + row;
        if (std::find(gaps.begin(), gaps.end(), n) != gaps.end()) continue;
        QWidget* box = TestForm->BoxColumns[6 - Rating(n)][row];
        const QPoint at = box->mapTo(w, QPoint(3, 18));  // the corner its digit leaves free
        MoveMouse(w, at);
        ClickAt(w, at);
      }
      Click(w, QStringLiteral("nextbuttonimage"));
    }
  };
}

// The counsellor's Ctrl+J on the questionnaire, and yes to its question.
std::vector<Step> AbortQuestionnaire() {
  return {kCtrlJ, AnswerBox(QStringLiteral("Upozornění"), QMessageBox::Yes)};
}

std::vector<Step> Concat(std::initializer_list<std::vector<Step>> parts) {
  std::vector<Step> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The run up to the save dialog: both picture pages cut short, the personal data, every item answered.
std::vector<Step> UpToTheSave(const QString& name) {
  return {kCtrlJ, PersonalData(name, 1, QStringLiteral("15"), 3), kCtrlJ, Questionnaire()};
}

class RemoteTest : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    InitFrameworkTables();
    Ensure(RemoteMainForm);
    Ensure(RemoteFinishForm);
    Ensure(HelpForm);
    Ensure(InputForm);
    Ensure(TestForm);
    Ensure(BlankForm);
    Ensure(IntroForm);
    Ensure(RemoteDoneForm);
    Ensure(CorrectForm);
    Ensure(FailForm);
    Ensure(FinishForm);
  }

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    saved_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    RemoteMainForm->Clock = [] { return EncodeDateTime(2007, 3, 5, 10, 30); };
  }
  void TearDown() override {
    QDir::setCurrent(saved_);
    GuiTest::TearDown();
  }

  // Runs the remote test run while `steps` answer its windows, all of them;
  // the desktop is unlocked and the backdrop gone afterwards, however it ended.
  QStringList Run(std::vector<Step> steps) {
    TModalAnswers answers(std::move(steps));
    RemoteMainForm->FormShow();
    EXPECT_TRUE(answers.Done()) << answers.Acted() << " steps ran";
    EXPECT_FALSE(KioskLocked());
    EXPECT_FALSE(BlankForm->isVisible());
    return answers.Windows();
  }

  std::string File(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
  QString QFile(const std::string& name) const { return QString::fromStdString(File(name)); }
  QStringList Files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir dir_;
  QString saved_;
};

TEST_F(RemoteTest, ResultFileNameAndWriter) {
  TResultRecord r{};
  r.Name.assign(Utf8ToCp1250("Jan Nový"));
  const double day = EncodeDateTime(2007, 3, 5, 23, 59);
  EXPECT_EQ(BuildResultFileName(r, day), "vysledky_Jan_Nov__070305.zvr");
  r.Name.assign(Utf8ToCp1250("Šťěčá"));
  EXPECT_EQ(BuildResultFileName(r, day), "vysledky_______070305.zvr");
  r.Name.assign(std::string(100, 'a') + "tail");
  EXPECT_EQ(BuildResultFileName(r, day).size(), 120u);

  // One record, the memory image, with the keys of the database cleared; an
  // existing longer file is replaced whole.
  InitResultRecord(r);
  r.Id = 17;
  r.KeyExtra = 3;
  r.ScoreSheet.Answers[59] = 4;
  WriteBytes(File("r.zvr"), std::string(3 * RecordSize, 'x'));
  SaveResultFile(r, File("r.zvr"));
  r.Id = 0;
  r.KeyExtra = 0;
  const std::string bytes = ReadBytes(File("r.zvr"));
  ASSERT_EQ(bytes.size(), RecordSize);
  EXPECT_EQ(std::memcmp(bytes.data(), &r, RecordSize), 0);
  EXPECT_EQ(Files(), QStringList{"r.zvr"});
}

TEST_F(RemoteTest, AgeAsTyped) {
  EXPECT_EQ(AgeFromText(QStringLiteral("  7")), 7);
  EXPECT_EQ(AgeFromText(QStringLiteral("-5 ")), -5);
  EXPECT_EQ(AgeFromText(QStringLiteral("+12")), 12);
  for (const char* bad : {"", "   ", "1 5", "-", "+-1", "1a"})
    EXPECT_EQ(AgeFromText(QString::fromLatin1(bad)), -1) << bad;
}

TEST_F(RemoteTest, WindowsOfTheProgram) {
  EXPECT_EQ(RemoteMainForm->windowTitle(), QStringLiteral("RemoteMainForm"));
  EXPECT_EQ(RemoteMainForm->geometry(), QRect(476, 213, 290, 289));
  EXPECT_TRUE(RemoteMainForm->findChildren<QWidget*>().isEmpty());
  EXPECT_EQ(RemoteMainForm->SaveDialog.Filter, QStringLiteral("Soubor výsledku ZOVI|*.zvr"));

  // The two pictures: borderless, centred, closed by a click on the picture.
  const QRect screen = TForm::ScreenRect();
  const QRect centred((screen.width() - 400) / 2, (screen.height() - 300) / 2, 400, 300);
  for (TForm* picture : {static_cast<TForm*>(RemoteDoneForm), static_cast<TForm*>(RemoteFinishForm)}) {
    QRect shown;
    TModalAnswers answers(Steps([&](QWidget* w) {
      shown = w->geometry();
      PressKey(w, Qt::Key_Escape);
      EXPECT_TRUE(w->isVisible());
      kClickPicture(w);
    }));
    picture->ShowModal();
    EXPECT_TRUE(answers.Done());
    EXPECT_EQ(shown, centred);
    EXPECT_TRUE(picture->windowFlags() & Qt::FramelessWindowHint);
  }
  EXPECT_TRUE(RemoteFinishForm->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(RemoteDoneForm->windowFlags() & Qt::WindowStaysOnTopHint);

  TModalAnswers help(Steps([](QWidget* w) {
    EXPECT_EQ(w->size(), QSize(688, 453));
    Click(w, QStringLiteral("CloseButton"));
  }));
  HelpForm->ShowModal();
  EXPECT_TRUE(help.Done());
}

TEST_F(RemoteTest, ProposedNameAndCancellingTheSave) {
  QString first, second, question;
  // Return on the question keeps the answers: the save dialog comes again.
  const QStringList windows =
      Run(Concat({UpToTheSave(QStringLiteral("Jan Nový")),
                  {AnswerFileDialog("SaveDialog", {}, &first),
                   [&](QWidget* w) {
                     question = BoxText(w);
                     PressKey(w, Qt::Key_Return);
                   },
                   AnswerFileDialog("SaveDialog", {}, &second), AnswerBox("Potvrzení", QMessageBox::Yes)}}));
  EXPECT_EQ(first, QFile("vysledky_Jan_Nov__070305.zvr"));
  EXPECT_EQ(second, first);
  EXPECT_EQ(question, QStringLiteral("Opravdu chcete program ukončit BEZ ULOŽENÍ výsledků?"));
  EXPECT_EQ(windows.count("CorrectForm") + windows.count("FailForm") + windows.count("FinishForm"), 0);
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(RemoteTest, SavedFileReplacesAnExistingOneWithTheRecord) {
  WriteBytes(File("old.zvr"), std::string(10, 'x'));
  QString proposed, info;
  Run(Concat({UpToTheSave(QStringLiteral("Žňů")),
              {AnswerFileDialog("SaveDialog", QFile("old.zvr"), &proposed),
               AnswerBox(QStringLiteral("Uložit výsledky..."), QMessageBox::Yes),
               AnswerBox("Informace", QMessageBox::Ok, &info), kClickPicture}}));
  EXPECT_EQ(proposed, QFile("vysledky_____070305.zvr"));
  EXPECT_EQ(info, QStringLiteral("Výsledky byly uloženy do souboru ") + QFile("old.zvr"));

  const std::string bytes = ReadBytes(File("old.zvr"));
  ASSERT_EQ(bytes.size(), RecordSize);
  TResultRecord r;
  std::memcpy(&r, bytes.data(), RecordSize);
  EXPECT_EQ(r.Name.str(), Utf8ToCp1250("Žňů"));
  EXPECT_EQ(r.Sex, 1);
  EXPECT_EQ(r.Age, 15);
  EXPECT_EQ(r.Education, 3);
  EXPECT_EQ(r.ExpectedEducation, 255);
  EXPECT_EQ(r.ScoreSheet.TestDate, EncodeDateTime(2007, 3, 5, 10, 30));
  for (int n = 1; n <= 60; ++n) EXPECT_EQ(r.ScoreSheet.Answers[n - 1], Rating(n));
  TScoreSheet scored = r.ScoreSheet;
  ASSERT_TRUE(ComputeRawScores(scored));
  EXPECT_EQ(std::memcmp(scored.RawScores, r.ScoreSheet.RawScores, sizeof scored.RawScores), 0);
  EXPECT_EQ(r.Id, 0);
  EXPECT_EQ(r.KeyExtra, 0);
  EXPECT_EQ(r.UniqueId.Length, 50);
  EXPECT_EQ(r.Notes[0], '\0');
  EXPECT_EQ(Files(), QStringList{"old.zvr"});
}

TEST_F(RemoteTest, AFailedSaveSaysWhyAndKeepsTheAnswers) {
  const std::string locked = File("locked");
  ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
  MakeUnwritable(locked);
  if (std::ofstream(locked + "/probe").good()) GTEST_SKIP() << "this file system lets us write a read-only folder";

  // A full disk: no file may grow past 100 bytes while the limit holds.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto fileSizeLimit = [](rlim_t bytes, rlimit old) {
    rlimit limit = old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  };
  std::signal(SIGXFSZ, SIG_IGN);

  QString denied, full, proposed;
  Run(Concat({UpToTheSave(QStringLiteral("Eva")),
              {AnswerFileDialog("SaveDialog", QString::fromStdString(locked + "/a.zvr")),
               AnswerBox("Chyba", QMessageBox::Ok, &denied),
               [&](QWidget* w) {
                 fileSizeLimit(100, saved);
                 AnswerFileDialog("SaveDialog", QFile("b.zvr"))(w);
               },
               [&](QWidget* w) {
                 setrlimit(RLIMIT_FSIZE, &saved);
                 AnswerBox("Chyba", QMessageBox::Ok, &full)(w);
               },
               AnswerFileDialog("SaveDialog", QFile("c.zvr"), &proposed), AnswerBox("Informace", QMessageBox::Ok),
               kClickPicture}}));
  setrlimit(RLIMIT_FSIZE, &saved);
  MakeWritable(locked);

  EXPECT_EQ(denied, QStringLiteral("Výsledky se nepodařilo uložit do souboru ") +
                        QString::fromStdString(locked + "/a.zvr") +
                        QStringLiteral(": do zvolené složky nebo souboru nelze zapisovat.\nZvolte prosím jiné místo."));
  EXPECT_TRUE(full.contains(QStringLiteral("na disku není dost místa"))) << full.toStdString();
  EXPECT_EQ(proposed, QFile("vysledky_Eva_070305.zvr"));  // the name is proposed again
  EXPECT_EQ(Files(), QStringList{"c.zvr"});               // nothing half-written left behind
  TResultRecord r;
  LoadResultFile(r, File("c.zvr"));
  EXPECT_EQ(r.Name.str(), "Eva");
  for (int n = 1; n <= 60; ++n) EXPECT_EQ(r.ScoreSheet.Answers[n - 1], Rating(n));
}

TEST_F(RemoteTest, EarlyEndsLeaveNoFile) {
  // Ctrl+J on the splash pages goes on to the personal data; Ctrl+J there ends the run.
  EXPECT_EQ(Run({kCtrlJ, kCtrlJ}).join(' '), "IntroForm InputForm");
  // A confirmed abort of the questionnaire: no question about gaps or validity, no save.
  EXPECT_EQ(Run(Concat({{kCtrlJ, PersonalData("Jan", 0, {}, 1), kCtrlJ}, AbortQuestionnaire()})).join(' '),
            "IntroForm InputForm IntroForm TestForm QMessageBox");
  // Gaps accepted, then the unevaluable answers ended on FailForm: no message, no save.
  EXPECT_EQ(Run({kCtrlJ, PersonalData("Jan", 0, {}, 1), kCtrlJ, Questionnaire({1, 7, 13}),
                 [](QWidget* w) { Click(w, QStringLiteral("nobuttonimage")); },
                 [](QWidget* w) { Click(w, QStringLiteral("yesbuttonimage")); }})
                .join(' '),
            "IntroForm InputForm IntroForm TestForm CorrectForm FailForm");
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(RemoteTest, TheProgramRunsOnceWhenShownAndCloses) {
  TModalAnswers answers({kCtrlJ, kCtrlJ});
  RemoteMainForm->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return answers.Done() && !RemoteMainForm->isVisible(); }, 10000));
  EXPECT_FALSE(KioskLocked());
}

TEST_F(RemoteTest, TheMainProgramImportsTheResultFile) {
  Run(Concat(
      {UpToTheSave(QStringLiteral("Jan Nový")),
       {AnswerFileDialog("SaveDialog", QFile("jan.zvr")), AnswerBox("Informace", QMessageBox::Ok), kClickPicture}}));

  // The counsellor's program, in the same folder, with a respondent already stored.
  Ensure(MainForm);
  MainForm->FormCreate();
  TResultRecord stored{};
  InitResultRecord(stored);
  AppendRecord(stored);

  QString question;
  TModalAnswers answers(
      {AnswerFileDialog("RemoteOpenDialog", QFile("jan.zvr")), AnswerBox("Potvrzení", QMessageBox::Yes, &question)});
  MainForm->ReadRemoteMenuItem->trigger();
  EXPECT_TRUE(answers.Done());
  EXPECT_EQ(question, QStringLiteral("Chcete opravdu přidat probanda Jan Nový (05. 03. 2007) do databáze?"));

  const std::string db = ReadBytes(File("zovi.db"));
  ASSERT_EQ(db.size(), 2 * RecordSize);
  TResultRecord first, imported;
  std::memcpy(&first, db.data(), RecordSize);
  std::memcpy(&imported, db.data() + RecordSize, RecordSize);
  EXPECT_EQ(imported.Name.str(), Utf8ToCp1250("Jan Nový"));
  EXPECT_GT(imported.Id, first.Id);  // a record number of its own
  for (int n = 1; n <= 60; ++n) EXPECT_EQ(imported.ScoreSheet.Answers[n - 1], Rating(n));
}

}  // namespace

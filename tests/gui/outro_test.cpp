// The results screen through its real controls: what every showing resets,
// the selectors, the level filter, the code label's size, the print button,
// the notes and their limit, and a record that cannot be evaluated.
#include "outro.h"

#include <gtest/gtest.h>

#include <QCollator>
#include <QTest>
#include <algorithm>
#include <cstring>

#include "cp1250.h"
#include "framework.h"
#include "gui_driver.h"
#include "print.h"
#include "report_data.h"
#include "scored_record.h"
#include "textcodec.h"

namespace {

const int Profile[ScaleCount] = {4, 2, 3, 5, 4, 1};

// A user's choice in a drop-down list.
void Choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// The panel in front: the one that holds the control in the middle of the panels' area.
QWidget* FrontPanel() {
  QWidget* hit = OutroForm->childAt(120, 250);
  for (QWidget* panel : {OutroForm->SkorPanel, OutroForm->ProfesePanel, OutroForm->KodPanel, OutroForm->NotePanel})
    if (panel == hit || panel->isAncestorOf(hit)) return panel;
  return nullptr;
}

// The offered professions at `level` (all levels for -1) with their marks, in the Czech order.
QStringList Offered(int level) {
  const char* marks[] = {"", "*", "**"};
  QStringList names;
  for (std::size_t i = 0; i < Professions.size(); ++i)
    if (OutroForm->Selected[i] && (level < 0 || Professions[i].Levels.contains(TProfessionLevel(level))))
      names << FromCp1250(Professions[i].Name + marks[OutroForm->MatchMark[i]]);
  QCollator czech{QLocale(QLocale::Czech)};
  czech.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(names.begin(), names.end(), czech);
  return names;
}

class OutroScreen : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    InitFrameworkTables();
    InitContentTables();
    if (!PrintForm) CreateForm(PrintForm);
    if (!OutroForm) CreateForm(OutroForm);
  }
  void SetUp() override {
    OutroForm->ResultRecord = ScoredRecord(Profile);
    OutroForm->NoteMemo->clear();
  }
};

}  // namespace

TEST(EducationGroups, FollowTheEducationAndKeepThePreviousGroupBeyondTheList) {
  const TProfessionLevel groups[] = {plTraining, plSecondary, plTraining, plSecondary, plSecondary, plHigher, plHigher};
  for (TEducation e = 0; e <= edUniversity; ++e) EXPECT_EQ(EducationGroupOf(e, plHigher), groups[e]) << int(e);
  EXPECT_EQ(EducationGroupOf(7, plSecondary), plSecondary);
  EXPECT_EQ(EducationGroupOf(edNotChosen, plTraining), plTraining);
}

TEST(SortedListBox, KeepsTheCzechAlphabeticalOrder) {
  TListBox list;
  list.SetSorted(true);
  for (const char* text : {"chata", "hrad", "Čáp", "cesta", "ilustrace", "čekání", "Hasič"})
    list.AddItem(QString::fromUtf8(text));
  EXPECT_EQ(list.Items(), QStringList({"cesta", "Čáp", "čekání", "Hasič", "hrad", "chata", "ilustrace"}));
}

TEST_F(OutroScreen, EveryShowingResetsTheSelectorsAndGroupButKeepsTheChartKind) {
  OutroForm->ResultRecord.Education = edSecondaryNoCertificate;
  TModalAnswers first({[](QWidget* w) {
    EXPECT_EQ(w, OutroForm);
    EXPECT_EQ(w->size(), QSize(798, 598));
    EXPECT_EQ(EducationGroup, plSecondary);
    EXPECT_EQ(FrontPanel(), OutroForm->SkorPanel);
    // A move over the print button returns a hovered panel button to normal.
    MoveOver(w, QStringLiteral("kodbuttonimage"));
    EXPECT_EQ(OutroForm->kodbuttonimage->Picture(), OutroForm->image_kod_over->Picture());
    MoveOver(w, QStringLiteral("printbuttonimage"));
    EXPECT_EQ(OutroForm->kodbuttonimage->Picture(), OutroForm->image_kod_normal->Picture());
    EXPECT_EQ(OutroForm->printbuttonimage->toolTip(), QStringLiteral("tisk"));
    EXPECT_EQ(OutroForm->closebuttonimage->toolTip(), QStringLiteral("zavřít"));
    Choose(OutroForm->graphComboBox, 1);
    Choose(OutroForm->SkorComboBox, skTScore);
    Choose(OutroForm->UrovenComboBox, 3);
    EXPECT_EQ(OutroForm->ScoreKind, skTScore);
    Click(w, QStringLiteral("profesebuttonimage"));
    EXPECT_EQ(FrontPanel(), OutroForm->ProfesePanel);
    Click(w, QStringLiteral("closebuttonimage"));
  }});
  EXPECT_EQ(OutroForm->ShowModal(), mrCancel);
  EXPECT_TRUE(first.Done());

  OutroForm->ResultRecord.Education = edSecondaryApprenticeship;
  TModalAnswers second({[](QWidget* w) {
    EXPECT_EQ(EducationGroup, plTraining);
    EXPECT_EQ(OutroForm->SkorComboBox->currentText(), QStringLiteral("percentil"));
    EXPECT_EQ(OutroForm->NNormaComboBox->currentText(), QStringLiteral("žáci a studenti"));
    EXPECT_EQ(OutroForm->UrovenComboBox->currentText(), QStringLiteral("--- všechna povolání ---"));
    EXPECT_EQ(OutroForm->graphComboBox->currentText(), QStringLiteral("profilový graf"));
    EXPECT_EQ(OutroForm->ScoreKind, skPercentile);
    EXPECT_EQ(FrontPanel(), OutroForm->SkorPanel);
    Click(w, QStringLiteral("closebuttonimage"));
  }});
  OutroForm->ShowModal();
  EXPECT_TRUE(second.Done());
  OutroForm->graphComboBox->setCurrentIndex(0);
}

TEST_F(OutroScreen, SelectorsRedrawTheChartOnlyAndRefuseTheAdultsNorms) {
  QString message;
  TModalAnswers answers({[](QWidget*) {
                           const QImage chart = OutroForm->hexImage->Picture().copy();
                           const QString code = OutroForm->KodLabel->text();
                           const QStringList professions = OutroForm->ProfeseListBox->Items();
                           Choose(OutroForm->NNormaComboBox, ngAdults);  // answered by the next step
                           EXPECT_EQ(OutroForm->NNormaComboBox->currentIndex(), 0);
                           EXPECT_EQ(OutroForm->NormGroup, ngPupils);
                           EXPECT_EQ(OutroForm->hexImage->Picture(), chart);

                           // Raw scores: the chart and labels change, the code and professions do not,
                           // and the report gets Z-scores.
                           Choose(OutroForm->SkorComboBox, skRawScore);
                           EXPECT_NE(OutroForm->hexImage->Picture(), chart);
                           const TResultRecord& r = OutroForm->ResultRecord;
                           EXPECT_EQ(OutroForm->Rlabel->text(), QString::number(r.ScoreSheet.RawScores[scR]));
                           EXPECT_EQ(OutroForm->Clabel->text(), QString::number(r.ScoreSheet.RawScores[scC]));
                           TScoreSheet z = r.ScoreSheet;
                           ConvertScores(z, Norms[r.Sex], skZScore);
                           EXPECT_TRUE(std::equal(z.Scores, z.Scores + ScaleCount, PrintForm->Scores));
                           EXPECT_EQ(OutroForm->KodLabel->text(), code);
                           EXPECT_EQ(OutroForm->ProfeseListBox->Items(), professions);

                           // Both lists sorted; the second follows the level filter.
                           EXPECT_EQ(professions, Offered(EducationGroup));
                           EXPECT_TRUE(Offered(-1).join(QString()).contains(QLatin1Char('*')));
                           EXPECT_EQ(OutroForm->ProfeseAltListBox->Items(), Offered(-1));
                           Choose(OutroForm->UrovenComboBox, 2);
                           EXPECT_EQ(OutroForm->UrovenComboBox->currentText(),
                                     QStringLiteral("SŠ s výučním listem nebo maturitou"));
                           EXPECT_EQ(OutroForm->ProfeseAltListBox->Items(), Offered(plSecondary));
                         },
                         AnswerBox(QStringLiteral("Informace"), QMessageBox::Ok, &message),
                         [](QWidget* w) { Click(w, QStringLiteral("closebuttonimage")); }});
  OutroForm->ShowModal();
  EXPECT_TRUE(answers.Done());
  EXPECT_EQ(answers.Windows(), QStringList({"OutroForm", "QMessageBox", "OutroForm"}));
  EXPECT_EQ(message, QStringLiteral("V testu Kelvora jsou v tuto chvíli obsaženy pouze normy pro dětskou populaci."));
}

TEST_F(OutroScreen, CodeLabelShrinksUntilFourCodesFit) {
  const int fourCodes[ScaleCount] = {3, 1, 4, 5, 1, 1};
  OutroForm->ResultRecord = ScoredRecord(fourCodes);
  OutroForm->ComputeResults();
  const QString code = OutroForm->KodLabel->text();
  EXPECT_EQ(code, QStringLiteral("RAS/RSA/ARS/SAR"));
  EXPECT_EQ(FromCp1250(PrintForm->CodeText), code);
  EXPECT_LE(OutroForm->KodLabel->width(), 233);
  EXPECT_LT(OutroForm->KodLabel->font().pixelSize(), 27);
  OutroForm->ResultRecord = ScoredRecord(Profile);
  OutroForm->ComputeResults();
  EXPECT_EQ(OutroForm->KodLabel->font().pixelSize(), 27);
}

TEST_F(OutroScreen, PrintGetsTheChartKindNotesAndScoreKindAndTheNotesGoBackLimited) {
  TResultRecord r = ScoredRecord(Profile);
  std::strcpy(r.Notes, Utf8ToCp1250("\"stará poznámka\"").c_str());
  TModalAnswers answers(
      {[](QWidget* w) {
         EXPECT_EQ(OutroForm->NoteMemo->toPlainText(), QStringLiteral("stará poznámka"));
         Click(w, QStringLiteral("notebuttonimage"));
         EXPECT_EQ(FrontPanel(), OutroForm->NotePanel);
         QPlainTextEdit* memo = OutroForm->NoteMemo;
         memo->moveCursor(QTextCursor::End);
         QTest::keyClick(memo, Qt::Key_Return);
         TypeText(memo, QStringLiteral("řádek"));
         memo->insertPlainText(QStringLiteral("%1, 2").arg(QChar(u'\0')));  // a pasted NUL
         const QString typed = memo->toPlainText();
         // Neither more than 4500 characters nor a comma text beyond 5000 is taken.
         memo->insertPlainText(QString(4500, QLatin1Char('x')));
         EXPECT_EQ(memo->toPlainText(), typed);
         memo->insertPlainText(QStringLiteral("\"\n").repeated(1100));  // 2200 characters, 5500 as comma text
         EXPECT_EQ(memo->toPlainText(), typed);
         Choose(OutroForm->graphComboBox, 1);
         Choose(OutroForm->SkorComboBox, skZScore);
         Click(w, QStringLiteral("printbuttonimage"));
       },
       [](QWidget* w) {
         EXPECT_EQ(w, PrintForm);
         EXPECT_FALSE(PrintForm->ShowHexagon);
         EXPECT_EQ(PrintForm->ScoreKind, skZScore);
         EXPECT_EQ(PrintForm->NoteLines, TStringArray({Utf8ToCp1250("stará poznámka"), Utf8ToCp1250("řádek, 2")}));
         PlatformClose(w);
       },
       [](QWidget* w) { Click(w, QStringLiteral("closebuttonimage")); }});
  EXPECT_TRUE(ShowRecordResults(r));
  EXPECT_TRUE(answers.Done());
  EXPECT_EQ(RecordNotes(r), Utf8ToCp1250("\"stará poznámka\",\"řádek, 2\""));
  EXPECT_EQ(r.ScoreSheet.RawScores[scS], OutroForm->ResultRecord.ScoreSheet.RawScores[scS]);
  OutroForm->graphComboBox->setCurrentIndex(0);
}

TEST_F(OutroScreen, RecordThatCannotBeEvaluatedIsRefusedWithoutOpening) {
  TResultRecord r = ScoredRecord(Profile);
  r.Sex = 2;
  const TResultRecord before = r;
  QString message;
  TModalAnswers answers({[&](QWidget* w) {
    EXPECT_FALSE(OutroForm->isVisible());
    message = BoxText(w);
    PressBoxButton(w, QMessageBox::Ok);
  }});
  EXPECT_FALSE(ShowRecordResults(r));
  EXPECT_TRUE(answers.Done());
  EXPECT_TRUE(message.contains(QStringLiteral("nelze vyhodnotit"))) << message.toStdString();
  EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);
}

// The questionnaire through its real window with real mouse and key events:
// the controls of a page at their places, choosing answers and when they are
// kept, the grey answered items of a later pass, the finish button, and the
// abort with Ctrl+J.
#include <QLabel>

#include "framework.h"
#include "gui_driver.h"
#include "test.h"
#include "testrun.h"
#include "textcodec.h"

namespace {

class Questionnaire : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    InitFrameworkTables();
    InitItems();
    InitPages();
    if (!TestForm) CreateTestRunForms();
  }
};

// Clicks a page control of the window at `offset` from its upper-left corner;
// the control must be the one under that point.
void ClickOn(QWidget* window, QWidget* control, QPoint offset) {
  const QPoint at = control->mapTo(window, offset);
  ASSERT_EQ(window->childAt(at), control);
  MoveMouse(window, at);
  ClickAt(window, at);
}

// A box clicked at its lower left corner, which its digit leaves free.
void ClickBox(QWidget* window, int row, int col) {
  ClickOn(window, TestForm->BoxColumns[col][row], QPoint(3, 18));
}
void ClickDigit(QWidget* window, int row, int col) {
  ClickOn(window, TestForm->NumberColumns[col][row], QPoint(2, 5));
}

// The column (1..5) whose box shows the chosen look in a row, 0 for none;
// two chosen boxes in a row are a failure.
int ChosenColumn(int row) {
  int chosen = 0;
  for (int j = 1; j <= 5; ++j)
    if (TestForm->BoxColumns[j][row]->Picture() == TestForm->image_box_click->Picture()) {
      EXPECT_EQ(chosen, 0) << "two boxes chosen in row " << row;
      chosen = j;
    } else {
      EXPECT_EQ(TestForm->BoxColumns[j][row]->Picture(), TestForm->image_box_normal->Picture());
    }
  return chosen;
}

// The controls of a page on the panel: item labels, boxes and digits.
int PageControls() {
  return static_cast<int>(TestForm->TestPanel->findChildren<QLabel*>().size() +
                          TestForm->TestPanel->findChildren<TMycheckbox*>().size());
}

bool IsGrey(const QLabel* label) {
  return label->palette().color(QPalette::WindowText) == QColor(0x80, 0x80, 0x80) && !label->font().bold();
}
bool IsBoldBlack(const QLabel* label) {
  return label->palette().color(QPalette::WindowText) == QColor(Qt::black) && label->font().bold();
}

// The 66 controls of the page on screen at their places, and the dotted
// guide lines of rows 1, 3 and 5 from the end of the text to the boxes.
void ExpectPageLayout(TSex variant) {
  const TTestForm* f = TestForm;
  SCOPED_TRACE("page " + std::to_string(f->CurrentPage));
  ASSERT_EQ(f->PageRowCount, 6);
  EXPECT_EQ(f->PageFirstItem, 6 * f->CurrentPage - 5);
  EXPECT_EQ(PageControls(), 66);
  const QImage overlay = f->topimage->Picture();
  for (int i = 0; i < 6; ++i) {
    const int top = 185 + 51 * i;
    const QLabel* label = f->ItemLabels[i];
    EXPECT_EQ(label->pos(), QPoint(30, top));
    EXPECT_EQ(label->size(), label->sizeHint()) << "sized to its text";
    EXPECT_EQ(label->text(), FromCp1250(ItemTexts[variant][f->PageFirstItem + i]));
    EXPECT_EQ(label->font().family(), QStringLiteral("Trebuchet MS"));
    EXPECT_EQ(label->font().pointSize(), 10);
    for (int j = 1; j <= 5; ++j) {
      const TMycheckbox* box = f->BoxColumns[j][i];
      const TMyNumber* digit = f->NumberColumns[j][i];
      EXPECT_EQ(box->geometry(), QRect(520 + 38 * j, top, 21, 21));
      EXPECT_EQ(std::pair(box->Row, box->Col), std::pair(i, j));
      EXPECT_EQ(digit->pos(), QPoint(528 + 38 * j, top + 2));
      EXPECT_EQ(digit->text(), QString::number(6 - j));
      EXPECT_EQ(digit->font().pointSize(), 9);
      EXPECT_TRUE(box->geometry().contains(digit->geometry().center()));
      EXPECT_EQ(std::pair(digit->Row, digit->Col), std::pair(i, j));
    }
    // A text whose blanks reach the guide's end has no guide: no stub of dots before the boxes.
    const int y = top + label->height() / 2;
    int dots = 0;
    for (int x = 30; x < 558; ++x) dots += overlay.pixel(x, y) == qRgb(0x66, 0x66, 0x66);
    if (i % 2 == 1 && 30 + label->width() + 10 < 544)
      EXPECT_GT(dots, 20) << "guide line of row " << i;
    else
      EXPECT_EQ(dots, 0) << "row " << i << " text to " << 30 + label->width();
  }
}

}  // namespace

TEST_F(Questionnaire, FirstPassPagesFinishAndClose) {
  TestForm->Answers[5] = 3;  // cleared by a first pass
  TestForm->StartTest(sxFemale, true);
  TTestForm* f = TestForm;
  TModalAnswers run(Steps([f](QWidget* w) {
    EXPECT_EQ(w->geometry(), Centred(798, 598));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ExpectPageLayout(sxFemale);
    for (int i = 0; i < 6; ++i) {
      EXPECT_TRUE(IsBoldBlack(f->ItemLabels[i]));
      EXPECT_EQ(ChosenColumn(i), 0);
    }
    EXPECT_FALSE(f->backbuttonimage->isVisible());
    EXPECT_FALSE(f->LastPage);
    EXPECT_EQ(f->nextbuttonimage->Picture(), f->image_next_normal->Picture());
    TryToLeave(w);

    for (int page = 2; page <= 10; ++page) {
      Click(w, QStringLiteral("nextbuttonimage"));
      if (page == 3) ExpectPageLayout(sxFemale);  // item 14's text ends in a long run of blanks
    }
    EXPECT_EQ(f->CurrentPage, 10);
    EXPECT_TRUE(f->LastPage);
    ExpectPageLayout(sxFemale);
    EXPECT_TRUE(f->backbuttonimage->isVisible());
    // The pointer stayed on Next between the clicks, so no move set its tag.
    EXPECT_EQ(f->nextbuttonimage->Picture(), f->image_finish_normal->Picture());
    MoveOver(w, QStringLiteral("nextbuttonimage"), QPoint(20, 20));
    EXPECT_EQ(f->nextbuttonimage->Picture(), f->image_finish_normal->Picture());
    MoveOver(w, QStringLiteral("backbuttonimage"));
    EXPECT_EQ(f->backbuttonimage->Picture(), f->image_back_over->Picture());
    Click(w, QStringLiteral("backbuttonimage"));
    EXPECT_EQ(f->backbuttonimage->Picture(), f->image_back_normal->Picture());
    // Arriving with Next in its over look shows the finish picture over;
    // moving over it and away never changes that picture.
    MoveOver(w, QStringLiteral("nextbuttonimage"), QPoint(30, 30));
    Click(w, QStringLiteral("nextbuttonimage"));
    EXPECT_EQ(f->nextbuttonimage->Picture(), f->image_finish_over->Picture());
    MoveOver(w, QStringLiteral("nextbuttonimage"), QPoint(20, 20));
    MoveMouse(w, QPoint(300, 560));
    EXPECT_EQ(f->nextbuttonimage->Picture(), f->image_finish_over->Picture());
    EXPECT_EQ(f->nextbuttonimage->Tag, 0);
    PlatformClose(w);
    EXPECT_TRUE(w->isVisible()) << "refused on the last page too";
    Click(w, QStringLiteral("nextbuttonimage"));
  }));
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_TRUE(run.Done());
  EXPECT_EQ(f->CurrentPage, 11);
  EXPECT_FALSE(f->Aborted);
  EXPECT_EQ(PageControls(), 0);
  for (int item = 1; item <= 60; ++item) EXPECT_EQ(f->Answers[item], 0);
}

TEST_F(Questionnaire, ADoubleClickTurnsOnePage) {
  TTestForm* f = TestForm;
  f->StartTest(sxMale, true);
  TModalAnswers run(Steps([f](QWidget* w) {
    for (int page = 2; page <= 11; ++page) {  // page 10 closes once
      DoubleClick(w, QStringLiteral("nextbuttonimage"));
      EXPECT_EQ(f->CurrentPage, page);
    }
  }));
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_TRUE(run.Done());
}

TEST_F(Questionnaire, AnswersAreKeptWhenThePageIsLeft) {
  TTestForm* f = TestForm;
  std::fill(std::begin(f->Answers), std::end(f->Answers), 0);
  f->Answers[1] = 7;  // outside 1..5: no box, kept unless its row is clicked
  f->Answers[2] = 4;
  f->Answers[4] = -2;  // outside too
  f->Answers[6] = 9;
  f->Answers[7] = 3;
  f->StartTest(sxMale, false);
  TModalAnswers run(Steps([f](QWidget* w) {
    ExpectPageLayout(sxMale);
    // Answered items grey and regular, the gaps bold and black.
    for (int i : {0, 1, 3, 5}) EXPECT_TRUE(IsGrey(f->ItemLabels[i])) << i;
    for (int i : {2, 4}) EXPECT_TRUE(IsBoldBlack(f->ItemLabels[i])) << i;
    EXPECT_EQ(ChosenColumn(0), 0);
    EXPECT_EQ(ChosenColumn(1), 2);
    EXPECT_EQ(ChosenColumn(3), 0);

    // A digit chooses the box under it; the chosen box clicked again stays chosen.
    ClickDigit(w, 2, 5);
    EXPECT_EQ(ChosenColumn(2), 5);
    ClickBox(w, 2, 5);
    EXPECT_EQ(ChosenColumn(2), 5);
    EXPECT_EQ(f->PageAnswers[2], 1);
    ClickBox(w, 1, 1);
    EXPECT_EQ(ChosenColumn(1), 1);
    ClickDigit(w, 3, 3);
    ClickBox(w, 3, 4);
    EXPECT_EQ(ChosenColumn(3), 4);
    // Nothing reaches Answers while the page is on screen.
    EXPECT_EQ(f->Answers[2], 4);
    EXPECT_EQ(f->Answers[3], 0);

    Click(w, QStringLiteral("nextbuttonimage"));
    EXPECT_EQ(f->Answers[1], 7);
    EXPECT_EQ(f->Answers[2], 5);
    EXPECT_EQ(f->Answers[3], 1);
    EXPECT_EQ(f->Answers[4], 2);
    EXPECT_EQ(f->Answers[6], 9);
    EXPECT_EQ(ChosenColumn(0), 3);  // item 7
    ClickBox(w, 1, 2);
    Click(w, QStringLiteral("backbuttonimage"));
    EXPECT_EQ(f->CurrentPage, 1);
    EXPECT_EQ(f->Answers[8], 4) << "Back keeps the page's answers too";
    EXPECT_EQ(ChosenColumn(2), 5);
    EXPECT_EQ(ChosenColumn(3), 4);
    for (int page = 1; page <= 10; ++page) Click(w, QStringLiteral("nextbuttonimage"));
  }));
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_TRUE(run.Done());
  EXPECT_EQ(f->Answers[1], 7);
  EXPECT_EQ(f->Answers[6], 9);
}

TEST_F(Questionnaire, CtrlJAbortsOnlyWhenConfirmed) {
  TTestForm* f = TestForm;
  f->StartTest(sxMale, true);
  QString question;
  TModalAnswers run({
      [f](QWidget* w) {
        TryToLeave(w);
        EXPECT_TRUE(w->isVisible());
        ClickBox(w, 0, 1);
        PressCtrlJ(w);
      },
      AnswerBox(QStringLiteral("Upozornění"), QMessageBox::No, &question),
      [f](QWidget* w) {
        // No leaves the page as it was, clicks included.
        EXPECT_EQ(f->CurrentPage, 1);
        EXPECT_EQ(PageControls(), 66);
        EXPECT_EQ(ChosenColumn(0), 1);
        EXPECT_FALSE(f->Aborted);
        Click(w, QStringLiteral("nextbuttonimage"));
        ClickBox(w, 0, 2);
        PressCtrlJ(w);
      },
      AnswerBox(QStringLiteral("Upozornění"), QMessageBox::Yes),
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(run.Done());
  EXPECT_EQ(question, QStringLiteral("Opravdu si přejete ukončit testování bez uložení výsledků?"));
  EXPECT_TRUE(f->Aborted);
  EXPECT_EQ(f->Answers[1], 5);
  EXPECT_EQ(f->Answers[7], 0) << "the clicks of the page on screen are not saved";
  EXPECT_EQ(PageControls(), 0);

  // The next pass starts on a clean panel, and its showing clears the abort.
  f->StartTest(sxMale, false);
  EXPECT_EQ(PageControls(), 66);
  EXPECT_EQ(f->TestPanel->findChildren<TMycheckbox*>().size(), 30);
  EXPECT_EQ(ChosenColumn(0), 1);
  TModalAnswers again({[f](QWidget* w) {
                         EXPECT_FALSE(f->Aborted);
                         PlatformClose(w);
                         EXPECT_TRUE(w->isVisible());
                         PressCtrlJ(w);
                       },
                       AnswerBox(QStringLiteral("Upozornění"), QMessageBox::Yes)});
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(again.Done());
}

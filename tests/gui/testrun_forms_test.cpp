// The picture windows of a test run, driven through their own controls with
// real mouse and key events: paging, Ctrl+J, the yes/no answers, the hover
// looks of the picture buttons, and the keys and closes they must ignore.
#include "Fail.h"
#include "about.h"
#include "blank.h"
#include "correct.h"
#include "finish.h"
#include "gui_driver.h"
#include "intro.h"
#include "options.h"
#include "pictures.h"
#include "testrun.h"

namespace {

class TestRunForms : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    if (!IntroForm) {
      CreateTestRunForms();
      CreateSmallForms();
    }
  }
};

// The picture of the page in front, under the middle of the page area.
QWidget* FrontPage(QWidget* w) {
  return w->childAt(400, 250);
}

const QPoint kIntroBackground(100, 560);  // the strip of backimage beside the buttons

}  // namespace

TEST_F(TestRunForms, IntroPagingCtrlJAndASecondShowing) {
  IntroForm->UseSplashPages();
  TModalAnswers splash(Steps([](QWidget* w) {
    EXPECT_EQ(w->geometry(), Centred(798, 598));
    EXPECT_EQ(FrontPage(w), IntroForm->Image2);
    // The page shows its picture, decoded when the window is first shown.
    const QPoint page = IntroForm->Image2->mapTo(w, QPoint(0, 0));
    EXPECT_EQ(w->grab().toImage().pixel(page + QPoint(300, 200)), Picture("intro_splash1").pixel(300, 200));
    EXPECT_FALSE(IntroForm->backbuttonimage->isVisible());
    Click(w, QStringLiteral("nextbuttonimage"));
    EXPECT_EQ(FrontPage(w), IntroForm->Image1);
    EXPECT_TRUE(IntroForm->backbuttonimage->isVisible());
    Click(w, QStringLiteral("backbuttonimage"));
    EXPECT_EQ(FrontPage(w), IntroForm->Image2);
    EXPECT_FALSE(IntroForm->backbuttonimage->isVisible());
    EXPECT_EQ(IntroForm->PageIndex, 0);
    Click(w, QStringLiteral("nextbuttonimage"));
    // Keys other than exactly Ctrl+J and the platform's close do nothing.
    TryToLeave(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(FrontPage(w), IntroForm->Image1);
    PressCtrlJ(w);
  }));
  EXPECT_EQ(IntroForm->ShowModal(), mrCancel);
  EXPECT_TRUE(splash.Done());

  // Shown again with the other set: its first page, whatever page was in front before.
  IntroForm->UseIntroPages();
  TModalAnswers pages(Steps([](QWidget* w) {
    EXPECT_EQ(FrontPage(w), IntroForm->Image3);
    EXPECT_FALSE(IntroForm->backbuttonimage->isVisible());
    Click(w, QStringLiteral("nextbuttonimage"));
    EXPECT_EQ(FrontPage(w), IntroForm->Image4);
    Click(w, QStringLiteral("nextbuttonimage"));
  }));
  EXPECT_EQ(IntroForm->ShowModal(), mrOk);
  EXPECT_TRUE(pages.Done());
  EXPECT_EQ(IntroForm->PageIndex, IntroForm->PageCount);

  // Ctrl+J on the first page cancels too.
  TModalAnswers first(Steps([](QWidget* w) { PressCtrlJ(w); }));
  EXPECT_EQ(IntroForm->ShowModal(), mrCancel);
  EXPECT_TRUE(first.Done());

  // A double-click turns one page.
  IntroForm->UseSplashPages();
  TModalAnswers twice(Steps([](QWidget* w) {
    DoubleClick(w, QStringLiteral("nextbuttonimage"));
    EXPECT_EQ(IntroForm->PageIndex, 1);
    DoubleClick(w, QStringLiteral("backbuttonimage"));
    EXPECT_EQ(IntroForm->PageIndex, 0);
    PressCtrlJ(w);
  }));
  EXPECT_EQ(IntroForm->ShowModal(), mrCancel);
  EXPECT_TRUE(twice.Done());
}

TEST_F(TestRunForms, IntroHoverLooks) {
  TIntroForm* f = IntroForm;
  int nextChanges = 0;
  QObject counting;  // the connection ends with the test
  QObject::connect(f->nextbuttonimage, &TImage::pictureChanged, &counting, [&] { ++nextChanges; });
  auto over = [](TImage* button, TImage* look) { return button->Tag == 1 && button->Picture() == look->Picture(); };
  auto normal = [](TImage* button, TImage* look) { return button->Tag == 0 && button->Picture() == look->Picture(); };

  f->UseSplashPages();
  TModalAnswers first(Steps([&](QWidget* w) {
    MoveMouse(w, kIntroBackground);
    EXPECT_TRUE(normal(f->nextbuttonimage, f->image_next_normal));
    nextChanges = 0;  // an earlier showing may have left Next in its over look
    // Many moves within one button copy its over look once.
    for (int x = 10; x < 140; x += 5) MoveOver(w, QStringLiteral("nextbuttonimage"), QPoint(x, 40));
    EXPECT_TRUE(over(f->nextbuttonimage, f->image_next_over));
    EXPECT_EQ(nextChanges, 1);
    // The page pictures take no part: a move over them changes nothing.
    MoveMouse(w, QPoint(400, 250));
    EXPECT_TRUE(over(f->nextbuttonimage, f->image_next_over));
    // Straight from one button onto the other: both change in the same move.
    Click(w, QStringLiteral("nextbuttonimage"));
    MoveOver(w, QStringLiteral("backbuttonimage"));
    EXPECT_TRUE(over(f->backbuttonimage, f->image_back_over));
    EXPECT_TRUE(normal(f->nextbuttonimage, f->image_next_normal));
    MoveOver(w, QStringLiteral("nextbuttonimage"));
    EXPECT_TRUE(normal(f->backbuttonimage, f->image_back_normal));
    EXPECT_TRUE(over(f->nextbuttonimage, f->image_next_over));
    EXPECT_EQ(nextChanges, 3);
    PressCtrlJ(w);
  }));
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(first.Done());
  // The window hid with Next lit: Next returned to normal, so the next showing starts unlit.
  EXPECT_TRUE(normal(f->nextbuttonimage, f->image_next_normal));
  EXPECT_EQ(nextChanges, 4);

  f->UseIntroPages();
  TModalAnswers second(Steps([&](QWidget* w) {
    EXPECT_TRUE(normal(f->nextbuttonimage, f->image_next_normal));
    MoveMouse(w, kIntroBackground);
    EXPECT_EQ(nextChanges, 4);
    PressCtrlJ(w);
  }));
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(second.Done());
}

TEST_F(TestRunForms, FinishClosesOnlyOnCtrlJ) {
  TModalAnswers answers(Steps([](QWidget* w) {
    EXPECT_EQ(w->geometry(), Centred(398, 297));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    Click(w, QStringLiteral("Image1"));
    ClickAt(w, QPoint(5, 5));
    TryToLeave(w);
    EXPECT_TRUE(w->isVisible());
    PressCtrlJ(w);
  }));
  FinishForm->ShowModal();
  EXPECT_TRUE(answers.Done());
  EXPECT_FALSE(FinishForm->isVisible());
}

TEST_F(TestRunForms, YesNoDialogsAnswerOnlyThroughTheirButtons) {
  for (TYesNoForm* form : std::initializer_list<TYesNoForm*>{CorrectForm, FailForm}) {
    SCOPED_TRACE(form->objectName().toStdString());
    for (auto [button, result] : {std::pair{"yesbuttonimage", mrYes}, {"nobuttonimage", mrNo}}) {
      TModalAnswers answers(Steps([button](QWidget* w) {
        EXPECT_EQ(w->geometry(), Centred(399, 304));
        Click(w, QStringLiteral("backimage"));
        TryToLeave(w);
        PressCtrlJ(w);
        EXPECT_TRUE(w->isVisible());
        Click(w, QString::fromLatin1(button));
      }));
      EXPECT_EQ(form->ShowModal(), result);
      EXPECT_TRUE(answers.Done());
    }
  }
  EXPECT_NE(CorrectForm->backimage->Picture(), FailForm->backimage->Picture());
}

TEST_F(TestRunForms, YesNoHoverLooks) {
  TYesNoForm* f = CorrectForm;
  const int failYesTag = FailForm->yesbuttonimage->Tag;
  TModalAnswers answers(Steps([f](QWidget* w) {
    MoveMouse(w, QPoint(20, 20));
    MoveOver(w, QStringLiteral("yesbuttonimage"));
    EXPECT_EQ(f->yesbuttonimage->Tag, 1);
    EXPECT_EQ(f->yesbuttonimage->Picture(), f->image_yes_over->Picture());
    // One move from the middle of Yes to the middle of No.
    MoveOver(w, QStringLiteral("nobuttonimage"));
    EXPECT_EQ(f->nobuttonimage->Picture(), f->image_no_over->Picture());
    EXPECT_EQ(f->yesbuttonimage->Picture(), f->image_yes_normal->Picture());
    EXPECT_EQ(f->yesbuttonimage->Tag, 0);
    MoveMouse(w, QPoint(20, 20));
    EXPECT_EQ(f->nobuttonimage->Tag, 0);
    EXPECT_EQ(f->nobuttonimage->Picture(), f->image_no_normal->Picture());
    Click(w, QStringLiteral("yesbuttonimage"));
  }));
  EXPECT_EQ(f->ShowModal(), mrYes);
  EXPECT_TRUE(answers.Done());
  // The button clicked was lit when the window hid; hiding returned it to normal.
  EXPECT_EQ(f->yesbuttonimage->Tag, 0);
  EXPECT_EQ(f->yesbuttonimage->Picture(), f->image_yes_normal->Picture());
  EXPECT_EQ(FailForm->yesbuttonimage->Tag, failYesTag) << "each window keeps its own hover state";
}

TEST_F(TestRunForms, BackdropAboutAndOptions) {
  {
    TBackdrop backdrop;
    EXPECT_TRUE(BlankForm->isVisible());
    EXPECT_EQ(BlankForm->geometry(), TForm::ScreenRect());
    EXPECT_TRUE(BlankForm->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(BlankForm->grab().toImage().pixel(10, 10), qRgb(0x20, 0x20, 0x20));
    PlatformClose(BlankForm);
    EXPECT_TRUE(BlankForm->isVisible()) << "only its caller hides the backdrop";
  }
  EXPECT_FALSE(BlankForm->isVisible());
  try {
    TBackdrop backdrop;
    throw std::runtime_error("database file cannot be written");
  } catch (const std::runtime_error&) {
    EXPECT_FALSE(BlankForm->isVisible()) << "hidden before the error is reported";
  }

  TModalAnswers about(Steps([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), QStringLiteral("O programu..."));
    EXPECT_EQ(w->size(), QSize(400, 240));
    EXPECT_EQ(w->frameGeometry().center(), Centred(400, 240).center()) << "the frame is centred";
    PressKey(w, Qt::Key_Escape);
    EXPECT_TRUE(w->isVisible());
    PlatformClose(w);
  }));
  EXPECT_EQ(aboutform->ShowModal(), mrCancel);
  EXPECT_TRUE(about.Done());

  EXPECT_EQ(OptionsForm->windowTitle(), QString::fromUtf8("Možnosti programu Test Kelvora"));
  EXPECT_EQ(OptionsForm->findChild<QWidget*>(QStringLiteral("Button2"))->property("text").toString(),
            QStringLiteral("Storno"));
}

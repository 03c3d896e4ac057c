// The personal-data form through its real controls, typed into and chosen
// with real keys: its lists and limits, the three checks in order, Ctrl+J
// from every control, and a second showing that starts empty.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "gui_driver.h"
#include "input.h"
#include "testrun.h"

namespace {

class PersonalData : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    if (!InputForm) CreateTestRunForms();
  }
};

void Type(QWidget* control, const QString& text) {
  QTest::keyClicks(control, text);
}

// Fills the form through the keyboard: typed name, then Tab to each list,
// chosen with Down (index 0, then one more per extra press).
void Fill(QWidget* w, const QString& name, int sex, const QString& age, int education) {
  TInputForm* f = InputForm;
  f->JmenoEdit->setFocus();
  Type(f->JmenoEdit, name);
  PressKey(w, Qt::Key_Tab);
  for (int i = 0; i <= sex; ++i) PressKey(w, Qt::Key_Down);
  PressKey(w, Qt::Key_Tab);
  Type(f->VekEdit, age);
  PressKey(w, Qt::Key_Tab);
  for (int i = 0; i <= education; ++i) PressKey(w, Qt::Key_Down);
}

}  // namespace

TEST_F(PersonalData, ControlsListsAndLimits) {
  TInputForm* f = InputForm;
  const QStringList education = {
      QStringLiteral("Základní škola"),
      QStringLiteral("Střední škola (bez maturity, bez výučního listu)"),
      QStringLiteral("Střední škola s výučním listem "),
      QStringLiteral("Gymnázium"),
      QStringLiteral("Střední škola s maturitou"),
      QStringLiteral("Vyšší odborná škola"),
      QStringLiteral("Vysoká škola "),
  };
  const auto items = [](const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    return texts;
  };
  EXPECT_EQ(items(f->VzdelaniComboBox), education);
  EXPECT_EQ(items(f->StudiumComboBox), education);
  EXPECT_EQ(items(f->PohlaviComboBox), (QStringList{QStringLiteral("muž"), QStringLiteral("žena")}));
  for (const QComboBox* list : {f->PohlaviComboBox, f->VzdelaniComboBox, f->StudiumComboBox})
    EXPECT_FALSE(list->isEditable());

  TModalAnswers run(Steps([f](QWidget* w) {
    EXPECT_EQ(w->geometry(), Centred(798, 598));
    // Tab goes name, sex, age, education, expected education.
    EXPECT_EQ(QApplication::focusWidget(), f->JmenoEdit);
    for (QWidget* next : std::initializer_list<QWidget*>{f->PohlaviComboBox, f->VekEdit, f->VzdelaniComboBox,
                                                         f->StudiumComboBox, f->JmenoEdit}) {
      PressKey(w, Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), next);
    }
    Type(f->JmenoEdit, QString(105, QLatin1Char('x')));
    EXPECT_EQ(f->JmenoEdit->text().size(), 100);
    f->VekEdit->setFocus();
    f->VekEdit->home(false);
    Type(f->VekEdit, QStringLiteral("a-5x9"));  // a letter goes nowhere
    EXPECT_EQ(f->VekEdit->displayText(), QStringLiteral("-59"));
    Type(f->VekEdit, QStringLiteral("1"));
    EXPECT_EQ(f->VekEdit->displayText(), QStringLiteral("-59")) << "at most three characters";
    f->VekEdit->clear();
    f->VekEdit->home(false);
    PressKey(w, Qt::Key_Right);
    PressKey(w, Qt::Key_Right);
    Type(f->VekEdit, QStringLiteral("7"));
    EXPECT_EQ(f->VekEdit->displayText(), QStringLiteral("  7")) << "an empty position reads as a blank";
    PressCtrlJ(w);
  }));
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(run.Done());
}

// The age box clicked anywhere takes what is typed; a drop-down list opened
// under the lit Next (the list takes the mouse, so the background sees no
// move) unlights it when the pointer leaves it.
TEST_F(PersonalData, AgeBoxClickedAnywhereAndNextUnderADropDownList) {
  TInputForm* f = InputForm;
  TModalAnswers run(Steps([f](QWidget* w) {
    TMaskEdit* age = f->VekEdit;
    const int middle = age->height() / 2;
    for (const int x : {3, age->width() / 2, age->width() - 3}) {
      age->clear();
      ClickAt(w, age->mapTo(w, QPoint(x, middle)));
      Type(age, QStringLiteral("15"));
      EXPECT_EQ(age->displayText(), QStringLiteral("15 ")) << x;
    }
    ClickAt(w, age->mapTo(w, QPoint(age->width() - 3, middle)));  // goes on where the digits end
    Type(age, QStringLiteral("9"));
    EXPECT_EQ(age->displayText(), QStringLiteral("159"));

    MoveOver(w, QStringLiteral("nextbuttonimage"));
    f->StudiumComboBox->setFocus();
    PressKey(w, Qt::Key_F4);
    ASSERT_TRUE(QApplication::activePopupWidget());
    QEvent leave(QEvent::Leave);  // what the window system sends the button then
    QApplication::sendEvent(f->nextbuttonimage, &leave);
    EXPECT_EQ(f->nextbuttonimage->Picture(), f->image_next_normal->Picture());
    f->StudiumComboBox->hidePopup();
    PressCtrlJ(w);
  }));
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(run.Done());
}

TEST_F(PersonalData, NextChecksNameSexAndEducationInOrder) {
  TInputForm* f = InputForm;
  QStringList texts(3);
  QString blanksText;
  TModalAnswers run({
      [](QWidget* w) { Click(w, QStringLiteral("nextbuttonimage")); },
      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &texts[0]),
      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &texts[1]),
      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &texts[2]),
      [f](QWidget* w) {
        // Refused: the form stays open with every entry as it was.
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(f->ModalResult(), mrNone);
        Fill(w, QStringLiteral("   "), 1, QString(), 3);  // a name of blanks only
        EXPECT_EQ(f->PohlaviComboBox->currentIndex(), 1);
        EXPECT_EQ(f->VzdelaniComboBox->currentIndex(), 3);
        Click(w, QStringLiteral("nextbuttonimage"));
      },
      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &blanksText),
      [f](QWidget* w) {
        EXPECT_EQ(f->VzdelaniComboBox->currentIndex(), 3);
        f->JmenoEdit->setFocus();
        Type(f->JmenoEdit, QStringLiteral("Eva Novakova"));
        // Age and expected education may stay empty.
        Click(w, QStringLiteral("nextbuttonimage"));
      },
  });
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_TRUE(run.Done());
  EXPECT_EQ(texts,
            (QStringList{QStringLiteral("Prosím zadejte své jméno."), QStringLiteral("Prosím zadejte své pohlaví."),
                         QStringLiteral("Prosím zadejte své vzdělání.\r\nNevíte-li si rady, požádejte o pomoc "
                                        "osobu, která vám test zadala.")}));
  EXPECT_EQ(blanksText, QStringLiteral("Prosím zadejte své jméno."));
  // The entries stay for the caller to read.
  EXPECT_EQ(f->JmenoEdit->text(), QStringLiteral("   Eva Novakova"));
  EXPECT_EQ(f->PohlaviComboBox->currentIndex(), 1);
  EXPECT_EQ(f->StudiumComboBox->currentIndex(), -1);
  EXPECT_EQ(f->VekEdit->displayText().trimmed(), QString());

  // A second showing starts empty, the name field with the focus.
  TModalAnswers second(Steps([f](QWidget* w) {
    EXPECT_EQ(f->JmenoEdit->text(), QString());
    EXPECT_EQ(f->VekEdit->text(), QString());
    for (const QComboBox* list : {f->PohlaviComboBox, f->VzdelaniComboBox, f->StudiumComboBox})
      EXPECT_EQ(list->currentIndex(), -1);
    EXPECT_EQ(QApplication::focusWidget(), f->JmenoEdit);
    Fill(w, QStringLiteral("Jan"), 0, QStringLiteral("15"), 0);
    PressKey(w, Qt::Key_Tab);
    PressKey(w, Qt::Key_Down);
    Click(w, QStringLiteral("nextbuttonimage"));
  }));
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_TRUE(second.Done());
  EXPECT_EQ(f->VekEdit->displayText(), QStringLiteral("15 "));
  EXPECT_EQ(f->StudiumComboBox->currentIndex(), 0);
}

TEST_F(PersonalData, CtrlJClosesFromEveryControlWithoutAMessage) {
  TInputForm* f = InputForm;
  for (QWidget* control : std::initializer_list<QWidget*>{f->JmenoEdit, f->PohlaviComboBox, f->VekEdit,
                                                          f->VzdelaniComboBox, f->StudiumComboBox}) {
    SCOPED_TRACE(control->objectName().toStdString());
    TModalAnswers run(Steps([control](QWidget* w) {
      control->setFocus();
      PressKey(w, Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
      PressKey(w, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
      EXPECT_TRUE(w->isVisible());
      PressCtrlJ(w);
    }));
    EXPECT_EQ(f->ShowModal(), mrCancel);
    EXPECT_TRUE(run.Done());
  }
  // The platform's close cancels without a check as well.
  TModalAnswers closing(Steps([](QWidget* w) { PlatformClose(w); }));
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(closing.Done());
}

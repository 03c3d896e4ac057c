// The modal protocol of the toolkit's forms, the message boxes and the
// application's default handler, on a small window made for the purpose.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>
#include <stdexcept>

#include "controls.h"
#include "dialogs.h"
#include "forms.h"
#include "gui_driver.h"

namespace {

class TProbeForm : public TForm {
 public:
  TProbeForm() {
    setObjectName(QStringLiteral("ProbeForm"));
    resize(200, 100);
    for (auto [button, name, x] : {std::tuple{&okButton, "okButton", 10}, {&failButton, "failButton", 110}}) {
      *button = new TImage(this);
      (*button)->setObjectName(QString::fromLatin1(name));
      (*button)->setGeometry(x, 10, 80, 40);
    }
    edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("edit"));
    edit->setGeometry(10, 60, 180, 24);
    Bind(okButton, &TImage::clicked, this, &TProbeForm::OkClick);
    Bind(failButton, &TImage::clicked, this, &TProbeForm::FailClick);
    Bind(okButton, &TImage::mouseMove, this, &TProbeForm::okButtonMouseMove);
  }

  TImage* okButton = nullptr;
  TImage* failButton = nullptr;
  QLineEdit* edit = nullptr;
  QPoint lastMove;
  bool allowClose = true;
  int closeQueries = 0;
  TModalResult resultSeenByQuery = mrNone;
  bool failOnShow = false;
  std::string failure = "Soubor nelze otev\xF8\xEDt";  // code page 1250 text
  std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;

  void OkClick() { SetModalResult(mrOk); }
  void FailClick() { throw std::runtime_error(failure); }
  void okButtonMouseMove(Qt::KeyboardModifiers, int x, int y) { lastMove = QPoint(x, y); }

 protected:
  void FormShow() override {
    if (failOnShow) throw std::runtime_error("show failed");
  }
  void FormKeyDown(int key, Qt::KeyboardModifiers shift) override {
    if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt) keys.emplace_back(key, shift);
  }
  bool FormCloseQuery() override {
    ++closeQueries;
    resultSeenByQuery = ModalResult();
    return allowClose;
  }
};

using FormProtocol = GuiTest;

}  // namespace

TEST_F(FormProtocol, ModalResultCloseQueryEscapeAndPlatformClose) {
  TProbeForm form;
  TModalAnswers answers(Steps([&](QWidget* w) {
    EXPECT_EQ(w, &form);
    // A refused close leaves the window open and the result at mrNone.
    form.allowClose = false;
    form.SetModalResult(mrYes);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.ModalResult(), mrNone);
    EXPECT_EQ(form.resultSeenByQuery, mrYes);
    PlatformClose(&form);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.resultSeenByQuery, mrNone) << "a platform close asks with the result still mrNone";
    EXPECT_EQ(form.closeQueries, 2);
    // Escape and Enter close nothing and reach the window's key handler.
    PressKey(&form, Qt::Key_Escape);
    PressKey(&form, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.closeQueries, 2);
    ASSERT_EQ(form.keys.size(), 2u);
    EXPECT_EQ(form.keys[0].first, Qt::Key_Escape);
    // Showing a shown window modally is refused with an error.
    EXPECT_THROW(form.ShowModal(), std::logic_error);
    // The platform's close, once allowed, gives mrCancel.
    form.allowClose = true;
    PlatformClose(&form);
  }));
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_TRUE(answers.Done());
  EXPECT_FALSE(form.isVisible());

  // The next showing starts with no result; a handler's result closes it.
  TModalAnswers again(Steps([&](QWidget* w) {
    EXPECT_EQ(form.ModalResult(), mrNone);
    MoveOver(w, QStringLiteral("okButton"), QPoint(5, 7));  // a handler gets the signal's arguments
    EXPECT_EQ(form.lastMove, QPoint(5, 7));
    Click(w, QStringLiteral("okButton"));
  }));
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_TRUE(again.Done());
  EXPECT_EQ(form.closeQueries, 4);
}

TEST_F(FormProtocol, KeyPreviewSeesEachKeyOnce) {
  TProbeForm form;
  TModalAnswers answers(Steps([&](QWidget* w) {
    form.edit->setFocus();
    PressKey(w, Qt::Key_A);  // taken by the edit: the window's handler does not see it
    EXPECT_TRUE(form.keys.empty());
    form.SetKeyPreview(true);
    PressKey(w, Qt::Key_B);
    PressKey(w, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(form.edit->text(), QStringLiteral("ab")) << "the edit still gets its keys";
    ASSERT_EQ(form.keys.size(), 2u);
    EXPECT_EQ(form.keys[0].first, Qt::Key_B);
    EXPECT_TRUE(IsCtrlJ(form.keys[1].first, form.keys[1].second));
    form.edit->clearFocus();
    form.setFocus();
    PressKey(w, Qt::Key_C);
    EXPECT_EQ(form.keys.size(), 3u);
    form.SetKeyPreview(false);
    form.SetModalResult(mrOk);
  }));
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_TRUE(answers.Done());
}

TEST_F(FormProtocol, ErrorsInHandlersAreReportedAndTheWindowGoesOn) {
  TProbeForm form;
  QString shown, fromShow;
  form.failOnShow = true;
  TModalAnswers answers({
      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &fromShow),  // FormShow failed: reported first
      [&](QWidget* w) { Click(w, QStringLiteral("failButton")); },     // the window opened all the same
      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &shown),
      [&](QWidget* w) { Click(w, QStringLiteral("okButton")); },  // and still works
  });
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_TRUE(answers.Done());
  EXPECT_EQ(answers.Windows(), QStringList({"QMessageBox", "ProbeForm", "QMessageBox", "ProbeForm"}));
  EXPECT_EQ(fromShow, QStringLiteral("show failed"));
  EXPECT_EQ(shown, QString::fromUtf8("Soubor nelze otevřít"));

  // UTF-8 text is shown as it is; anything else thrown gets a generic text.
  QString utf8, unknown;
  TModalAnswers more({AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &utf8),
                      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok, &unknown)});
  Guarded([] { throw std::runtime_error("Chyba při čtení"); });
  Guarded([] { throw 42; });
  EXPECT_TRUE(more.Done());
  EXPECT_EQ(utf8, QString::fromUtf8("Chyba při čtení"));
  EXPECT_EQ(unknown, QStringLiteral("Neznámá chyba."));
}

TEST_F(FormProtocol, MessageBoxesOfFourKinds) {
  QString text;
  TModalAnswers answers({
      AnswerBox(QStringLiteral("Informace"), QMessageBox::Ok, &text),
      AnswerBox(QStringLiteral("Chyba"), QMessageBox::Ok), AnswerBox(QStringLiteral("Potvrzení"), QMessageBox::Yes),
      AnswerBox(QStringLiteral("Potvrzení"), QMessageBox::No),
      AnswerBox(QStringLiteral("Upozornění"), QMessageBox::Yes),
      [](QWidget* w) { PressKey(w, Qt::Key_Escape); },  // dismissed: the safe answer
  });
  ShowInformation(QString::fromUtf8("Záloha databáze byla úspěšně vytvořena."));
  ShowError(QStringLiteral("x"));
  EXPECT_EQ(AskConfirmation(QStringLiteral("?")), mrYes);
  EXPECT_EQ(AskConfirmation(QStringLiteral("?")), mrNo);
  EXPECT_EQ(AskWarning(QStringLiteral("?")), mrYes);
  EXPECT_EQ(AskWarning(QStringLiteral("?")), mrNo);
  EXPECT_TRUE(answers.Done());
  EXPECT_EQ(text, QString::fromUtf8("Záloha databáze byla úspěšně vytvořena."));
}

TEST_F(FormProtocol, AWindowOpenedFromOneKeptOnTopIsKeptAboveIt) {
  TProbeForm screen;
  screen.SetStayOnTop(true);
  TProbeForm dialog;
  TModalAnswers answers({[&](QWidget*) { dialog.ShowModal(); },
                         [&](QWidget* w) {
                           EXPECT_EQ(w, &dialog);
                           EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
                           EXPECT_EQ(dialog.windowHandle()->transientParent(), screen.windowHandle());
                           PlatformClose(&dialog);
                         },
                         [&](QWidget* w) { PlatformClose(w); }});
  screen.ShowModal();
  EXPECT_TRUE(answers.Done());
  // Only for that showing: on its own the dialog is an ordinary window again.
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(dialog.windowHandle()->transientParent(), nullptr);
}

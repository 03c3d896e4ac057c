#pragma once
// Driving real windows from tests: answering modal windows and message boxes
// through their own controls, real mouse and key events through the
// window system's path, and a check that a test leaves no window open.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

// Answers the modal windows that appear from now on, one step per window, in
// order: each step runs once on QApplication::activeModalWidget() as soon as
// the active modal window is another than the one the previous step acted on,
// or the same one shown anew (hidden in between). So a window shown twice is
// answered twice, and a window whose step opened a nested box is answered
// again by the step after the box's, once the step that opened the box has
// returned (a window is never answered while its own step runs). The modal
// window active when the answers are armed counts as acted on. A step that
// finds no window within the time limit is reported as a test failure and the
// window then active is closed by force, so the test does not hang; so is a
// modal window that stays open after the last step has run.
//
//   TModalAnswers answers({[](QWidget* w) { Click(w, "yesbuttonimage"); },
//                          AnswerBox("Potvrzení", QMessageBox::No)});
//   EXPECT_EQ(SomeForm->ShowModal(), mrYes);
//   EXPECT_TRUE(answers.Done());
class TModalAnswers : public QObject {
  Q_OBJECT

 public:
  using Step = std::function<void(QWidget* window)>;
  explicit TModalAnswers(std::vector<Step> steps, int timeoutMs = 10000);
  ~TModalAnswers() override;

  // Number of steps that have run, and whether all have.
  int Acted() const { return acted_; }
  bool Done() const { return acted_ == static_cast<int>(steps_.size()); }
  // objectName (or class name) of each window a step acted on, in order.
  const QStringList& Windows() const { return windows_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Poll();
  void Watch(QWidget* window);

  std::vector<Step> steps_;
  int timeoutMs_;
  int acted_ = 0;
  bool running_ = false;
  qint64 waitingSince_ = 0;
  QPointer<QWidget> last_;            // acted on (or active when armed) and not hidden since
  std::vector<const QWidget*> busy_;  // the windows whose steps are running, innermost last
  QStringList windows_;
  QTimer timer_;
};

// One step for the next modal window.
inline std::vector<TModalAnswers::Step> Steps(TModalAnswers::Step step) {
  return {std::move(step)};
}

// Real mouse events delivered through the window (so the control under the
// point receives them, as on screen). Points are in the window's coordinates.
void MoveMouse(QWidget* window, QPoint at);
void ClickAt(QWidget* window, QPoint at);
// The centre (or `offset` from the upper-left corner) of the named child in
// the window's coordinates; a missing, hidden or covered child is a failure.
QPoint PointOf(QWidget* window, const QString& childName, QPoint offset = QPoint(-1, -1));
void MoveOver(QWidget* window, const QString& childName, QPoint offset = QPoint(-1, -1));
void Click(QWidget* window, const QString& childName);
// A double-click on the named child as the window system delivers it.
void DoubleClick(QWidget* window, const QString& childName);

// A key pressed and released on the window (through the window system's path).
void PressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void PressCtrlJ(QWidget* window);
// Text typed into a control character by character, any characters (also
// those that have no key of their own, such as Czech letters); "\n" is Return.
void TypeText(QWidget* control, const QString& text);
// The window manager's close command (close box, Alt+F4).
void PlatformClose(QWidget* window);

// The keys and closes that a test-run window must ignore: Escape, Enter, J
// alone, Ctrl+J with Shift or Alt, Ctrl+K and the platform's close.
void TryToLeave(QWidget* window);
// The place of a window of that size centred on the screen.
QRect Centred(int width, int height);

// Message boxes: the box's text, and a click on its standard button.
QString BoxText(QWidget* window);
void PressBoxButton(QWidget* window, QMessageBox::StandardButton button);
// A step that expects a message box with the given caption and presses `button`;
// the text it showed is stored in *text when given.
TModalAnswers::Step AnswerBox(const QString& caption, QMessageBox::StandardButton button, QString* text = nullptr);

// A step that expects the file dialog named `name`, types `path` into its
// file name field and presses its accept button, as a user would, failing
// when the dialog does not take the name; an empty path presses Cancel. The
// folder and name the dialog proposed are stored in *proposed when given
// ("<folder>/<name>"). A question that the dialog asks before it takes the
// name (replacing an existing file) is for the next step; with `staysOpen`
// the dialog must still be open afterwards (the question was answered No).
TModalAnswers::Step AnswerFileDialog(const QString& name, const QString& path, QString* proposed = nullptr,
                                     bool staysOpen = false);

// The top-level windows now visible, by objectName (or class name).
QStringList VisibleTopLevels();

// Base of GUI tests: fails a test that leaves a top-level window visible, and
// hides what was left so the next test starts clean.
class GuiTest : public ::testing::Test {
 protected:
  void TearDown() override;
};

#pragma once
// The base of every window: a dialog with the modal protocol of the system.
//
// ShowModal() shows the window and returns its modal result. Setting a
// modal result other than mrNone while the window is shown asks it to close:
// FormCloseQuery() decides, and a refused close leaves the result at mrNone.
// The platform's close command (the window manager's close box, Alt+F4) and
// Close() go through FormCloseQuery() as well and give mrCancel; while
// FormCloseQuery() runs for them, ModalResult() is still mrNone. A window may
// refuse the platform's close altogether (SetPlatformClose). Escape closes
// nothing. The hooks FormCreate, FormShow, FormKeyDown and FormCloseQuery run
// inside the application's default handler (dialogs.h), so an error in them
// is reported in the error box and the window carries on (a window whose
// FormShow fails opens all the same). FormShow runs when the window is shown,
// not when the window system shows it again after it was minimised.
#include <QDialog>
#include <functional>

enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
};

class TForm : public QDialog {
  Q_OBJECT

 public:
  explicit TForm(QWidget* parent = nullptr);

  // Shows the window modally and returns when it has closed. Showing a
  // window that is already visible is an error (std::logic_error).
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result);
  // Asks to close as the platform's close command does.
  void Close();

  // Window attributes.
  void SetBorderless();                       // no frame, no caption
  void SetDialogFrame();                      // fixed frame with a caption and a close box only
  void SetStayOnTop(bool on);                 // kept above other windows
  void SetClientSize(int width, int height);  // fixed client area
  void SetCentredOnShow(bool on);             // centred on the screen at every showing
  // false: the platform's close command is refused before FormCloseQuery is
  // asked (a window that closes only through its own commands).
  void SetPlatformClose(bool allowed) { platformClose_ = allowed; }
  void CentreOnScreen();      // (screen - size) div 2 on both axes
  static QRect ScreenRect();  // the primary screen, in pixels

  // With key preview, FormKeyDown sees every key pressed in the window before
  // the control with the focus gets it (once per key, whichever control has
  // the focus). Without it, FormKeyDown gets the keys that no control takes.
  void SetKeyPreview(bool on);

  // Runs FormCreate once the derived window is complete (CreateForm does it).
  void Created();

 protected:
  virtual void FormCreate() {}
  virtual void FormShow() {}
  virtual void FormKeyDown(int key, Qt::KeyboardModifiers shift);
  // true lets the window close. The default always agrees.
  virtual bool FormCloseQuery() { return true; }

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Escape and the like: nothing
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool QueryClose();
  void KeyDown(QKeyEvent* event);

  TModalResult modalResult_ = mrNone;
  bool centredOnShow_ = false;
  bool platformClose_ = true;
  bool keyPreview_ = false;
};

// true for the key combination that the counsellor uses on the test-run
// windows: J with the Control key alone (neither Shift nor Alt).
bool IsCtrlJ(int key, Qt::KeyboardModifiers shift);

// Creates a window once, stores it in its global instance and runs its
// FormCreate. FreeForms() deletes every window so created, last first, and
// clears its global instance; the program calls it before the application ends.
void RegisterForm(QWidget* form, std::function<void()> forget);
void FreeForms();

template <class T>
void CreateForm(T*& instance) {
  instance = new T();
  RegisterForm(instance, [&instance] { instance = nullptr; });
  instance->Created();
}

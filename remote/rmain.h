#pragma once
// The remote program's main window. It stays empty: when it is created it
// builds the engine tables the test run needs, and when it is first shown it
// runs one whole test run, saves the respondent's result file and closes,
// which ends the program.
#include <functional>
#include <string>

#include "forms.h"
#include "framework.h"
#include "resultfile.h"
#include "ui_rmain.h"

class TRemoteMainForm : public TForm, public Ui::RemoteMainForm {
  Q_OBJECT

 public:
  TRemoteMainForm();

  TResultSaveDialog SaveDialog{QStringLiteral("SaveDialog")};

  // The clock read when the save step begins (the test date and the date in
  // the proposed file name).
  std::function<double()> Clock;

  // Items, pages and norms; nothing else.
  void FormCreate() override;
  // The remote test run, from the splash pages to the saved result file,
  // then the window closes. The desktop is locked behind the backdrop for the
  // whole run and unlocked on every way out, an error included.
  void FormShow() override;

 protected:
  // The first showing starts the run once the window is on the screen.
  void showEvent(QShowEvent* event) override;

 private:
  void RemoteRun();
  // Offers `name` in the save dialog until the result file is saved or the
  // respondent confirms quitting without it; a failed save says why and
  // offers the dialog again.
  void SaveLoop(const TResultRecord& R, const std::string& name);

  bool shown_ = false;
};

extern TRemoteMainForm* RemoteMainForm;

// Creates every window of the remote program once, in the order of start-up:
// the main window first (its FormCreate builds the engine tables).
void CreateZoviremForms();

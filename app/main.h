#pragma once
// The counsellor's home screen: three picture buttons, the main menu and the
// commands that move records between the database and other files.
#include <QMainWindow>
#include <string>

#include "controls.h"
#include "filedialog.h"
#include "framework.h"
#include "resultfile.h"
#include "ui_main.h"

// The current directory at start-up, without a trailing path delimiter
// (the root directory becomes ""): base of the database and settings files.
extern std::string WorkDir;

class TMainForm : public QMainWindow, public Ui::MainForm {
  Q_OBJECT

 public:
  TMainForm();

  TFileDialog RemoteOpenDialog{TFileDialog::Kind::Open, QStringLiteral("RemoteOpenDialog")};
  TFileDialog backupOpenDialog{TFileDialog::Kind::Open, QStringLiteral("backupOpenDialog")};
  TFileDialog backupSaveDialog{TFileDialog::Kind::Save, QStringLiteral("backupSaveDialog")};
  TFileDialog CSVSaveDialog{TFileDialog::Kind::Save, QStringLiteral("CSVSaveDialog")};
  // Keeps a test run's record as a result file when the database cannot take it.
  TResultSaveDialog ResultSaveDialog{QStringLiteral("ResultSaveDialog")};

  // Start-up work: working directory, database and settings paths, the
  // settings default, the random seed, the engine tables, an empty database.
  void FormCreate();
  void Created();
  // Shows the window centred on the screen.
  void ShowCentred();

  // One test run: the desktop locked behind the backdrop, the intro pages,
  // personal data, instruction pages and questionnaire, the closing picture;
  // a valid result is stored and shown on the results screen, whose notes
  // and retake are stored back. Nothing is stored for a cancelled or
  // unevaluable run. When the database does not take the record, first or
  // when it is stored back, the cause is shown on the unlocked desktop and
  // the record can be kept in a result file.
  void NewTestMenuItemClick();
  void ReadRemoteMenuItemClick();
  void DatabaseMenuItemClick();
  void Zlohovatdatabzi1Click();
  void Obnovitzezlohy1Click();
  void ExportovatdoCSV1Click();
  void Oprogramu2Click();
  void ExitMenuItemClick();

  void BackImageMouseMove();
  void NewTestButtonImageMouseMove();
  void ReadRemoteButtonImageMouseMove();
  void DatabaseButtonImageMouseMove();

 private:
  THoverButtons hover_;
};

extern TMainForm* MainForm;

// Creates every window of the main program once, in the order of start-up:
// the main window first (its start-up work runs before any other window exists).
void CreateZoviForms();

// A current directory as WorkDir holds it: without trailing path delimiters.
std::string WorkDirOf(std::string dir);
// The path of a file in the working directory.
std::string WorkDirFile(const std::string& name);

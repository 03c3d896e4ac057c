// The remote testing program: the engine's constant tables, the application,
// every window once (the main window first), then the message loop; showing
// the main window runs the one test run, which closes it and ends the program.
#include <QApplication>
#include <csignal>

#include "forms.h"
#include "framework.h"
#include "rmain.h"
#include "translation.h"

int main(int argc, char** argv) {
  // A file-size limit fails the result file's write with "Disk full", as a
  // full disk does, and the save dialog comes again, rather than ending the
  // program with the respondent's answers unsaved.
  std::signal(SIGXFSZ, SIG_IGN);
  InitFrameworkTables();
  QApplication app(argc, argv);
  LoadCzechTranslation();  // without it the standard dialogs stay English

  CreateZoviremForms();

  RemoteMainForm->show();
  const int result = QApplication::exec();
  FreeForms();
  return result;
}

// The remote testing program: the engine's constant tables, the application,
// every window once (the main window first), then the message loop; showing
// the main window runs the one test run, which closes it and ends the program.
#include <QApplication>

#include "forms.h"
#include "framework.h"
#include "rmain.h"

int main(int argc, char** argv) {
  InitFrameworkTables();
  QApplication app(argc, argv);

  CreateZoviremForms();

  RemoteMainForm->show();
  const int result = QApplication::exec();
  FreeForms();
  return result;
}

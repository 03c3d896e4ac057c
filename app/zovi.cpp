// The main program: the engine's constant tables, the application with the
// toolkit's Czech texts, every window once (the main window first), then the
// message loop until the main window closes.
#include <QApplication>
#include <csignal>

#include "forms.h"
#include "framework.h"
#include "main.h"
#include "translation.h"

int main(int argc, char** argv) {
  // A file-size limit fails a write with "Disk full", as a full disk does,
  // rather than ending the program halfway through writing a record.
  std::signal(SIGXFSZ, SIG_IGN);
  InitFrameworkTables();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZOVI - test Kelvora"));
  LoadCzechTranslation();  // without it the standard dialogs stay English

  CreateZoviForms();

  MainForm->ShowCentred();
  const int result = QApplication::exec();
  FreeForms();
  return result;
}

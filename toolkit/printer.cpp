#include "printer.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

QStringList TPrinter::Printers() {
  QStringList names = QPrinterInfo::availablePrinterNames();
  names << QStringLiteral("Uložit jako PDF");
  return names;
}

void TPrinter::SetupDialog(QWidget* parent) {
  QPrinter printer;
  QPrintDialog dialog(&printer, parent);
  dialog.exec();
}

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

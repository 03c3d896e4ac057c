#pragma once
// Temporary stand-in for the toolkit's printer object, with its interface only.
#include <QStringList>
#include <QWidget>

class TPrinter {
 public:
  QStringList Printers();
  int PrinterIndex() const { return index_; }
  void SetPrinterIndex(int index) { index_ = index; }
  void SetupDialog(QWidget* parent);

 private:
  int index_ = 0;
};

TPrinter& Printer();

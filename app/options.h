#pragma once
// The program's options dialog. It is created with the other windows, but no
// command opens it and its controls do nothing.
#include "forms.h"
#include "ui_options.h"

class TOptionsForm : public TForm, public Ui::OptionsForm {
  Q_OBJECT

 public:
  TOptionsForm();
};

extern TOptionsForm* OptionsForm;

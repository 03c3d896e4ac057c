#pragma once
// The about box: one picture holding its whole content.
#include "forms.h"
#include "ui_about.h"

class Taboutform : public TForm, public Ui::aboutform {
  Q_OBJECT

 public:
  Taboutform();
};

extern Taboutform* aboutform;

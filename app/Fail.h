#pragma once
// The question asked when the answers cannot be scored (see correct.h).
#include "correct.h"

class TFailForm : public TYesNoForm {
  Q_OBJECT

 public:
  TFailForm();
};

extern TFailForm* FailForm;

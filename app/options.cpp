#include "options.h"

TOptionsForm* OptionsForm = nullptr;

TOptionsForm::TOptionsForm() {
  setupUi(this);
}

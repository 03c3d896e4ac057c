#include "help.h"

#include "dialogs.h"

THelpForm* HelpForm = nullptr;

THelpForm::THelpForm() {
  setupUi(this);
  SetDialogFrame();
  SetClientSize(688, 453);
  SetCentredOnShow(true);
  Bind(CloseButton, &QPushButton::clicked, this, &THelpForm::CloseButtonClick);
}

void THelpForm::CloseButtonClick() {
  Close();
}

#include "Fail.h"

TFailForm* FailForm = nullptr;

TFailForm::TFailForm() : TYesNoForm("FailForm", "fail_back") {}

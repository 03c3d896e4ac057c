#include "framework_record.h"

std::string DatabaseFileName;

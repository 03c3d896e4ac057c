#include "resultfile.h"

#include "datetime.h"
#include "wholefile.h"

std::string BuildResultFileName(const TResultRecord& R, double date) {
  std::string name = "vysledky-" + R.Name.str() + "-" + FormatDateTime("yymmdd", date);
  for (char& c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) c = '_';
  return name + ".zvr";
}

void SaveResultFile(TResultRecord R, const std::string& FileName) {
  R.Id = 0;
  R.KeyExtra = 0;
  WriteFileWhole(FileName, std::string(reinterpret_cast<const char*>(&R), sizeof R));
}

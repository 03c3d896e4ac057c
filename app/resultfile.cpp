#include "resultfile.h"

#include "datetime.h"
#include "recordfile.h"
#include "wholefile.h"

std::string BuildResultFileName(const TResultRecord& R, double date) {
  std::string text = "vysledky-" + R.Name.str() + "-" + FormatDateTime("yymmdd", date);
  for (char& c : text) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!plain) c = '_';
  }
  return text + ".zvr";
}

void SaveResultFile(TResultRecord R, const std::string& FileName) {
  R.Id = 0;
  R.KeyExtra = 0;
  WriteFileWhole(FileName, [&R](const std::string& temporaryName) {
    TRecordFile file(temporaryName, TRecordFileMode::Create, RecordSize);
    file.Write(&R);
    file.Close();
  });
}

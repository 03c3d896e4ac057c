#include "resultfile.h"

#include <QFile>
#include <QFileInfo>

#include "datetime.h"
#include "dialogs.h"
#include "filedialog.h"
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

bool SaveResultFileAsked(
    TFileDialog& dialog, QWidget* parent, const TResultRecord& R, const QString& proposed, const QString& quitQuestion,
    const std::function<void(const std::exception& error, const QString& fileName)>& reportFailure) {
  for (;;) {
    dialog.FileName = proposed;
    if (!dialog.Execute(parent)) {
      if (AskConfirmation(quitQuestion, mrNo) == mrYes) return false;
      continue;
    }
    try {
      SaveResultFile(R, QFile::encodeName(dialog.FileName).toStdString());
      return true;
    } catch (const std::exception& error) {
      reportFailure(error, dialog.FileName);
    }
  }
}

TResultSaveDialog::TResultSaveDialog(QString objectName) : TFileDialog(Kind::Save, std::move(objectName)) {
  Title = QStringLiteral("Uložit výsledky...");
  Filter = QStringLiteral("Soubor výsledku ZOVI|*.zvr");
  DefaultExt = QStringLiteral("zvr");
  OverwritePrompt = true;
}

std::exception_ptr StoreFailure(const std::function<void()>& store) {
  try {
    store();
  } catch (const std::exception&) {
    return std::current_exception();
  }
  return nullptr;
}

void KeepRefusedRecord(std::exception_ptr error, TFileDialog& dialog, QWidget* parent, const TResultRecord& R) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ShowError(QStringLiteral("Výsledky se nepodařilo uložit do databáze: ") + ExceptionText(e) +
              QStringLiteral("\nUložte je do souboru výsledku, který lze později načíst do databáze."));
  }
  dialog.InitialDir = QFileInfo(QFile::decodeName(DatabaseFileName.c_str())).absolutePath();
  SaveResultFileAsked(dialog, parent, R, QFile::decodeName(BuildResultFileName(R, Now()).c_str()),
                      QStringLiteral("Opravdu chcete pokračovat BEZ ULOŽENÍ výsledků?"),
                      [](const std::exception& failure, const QString&) { ShowException(failure); });
}

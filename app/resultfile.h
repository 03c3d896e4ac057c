#pragma once
// The result file that carries one respondent from a test run on another
// computer to the counsellor's database: its proposed name and its writer.
#include <QString>
#include <exception>
#include <functional>
#include <string>

#include "filedialog.h"
#include "framework.h"

// The name the save dialog proposes for R's result file on `date`:
// "vysledky-" + name + "-" + yymmdd, with every character other than A-Z,
// a-z and 0-9 replaced by "_", then ".zvr".
std::string BuildResultFileName(const TResultRecord& R, double date);

// Writes the result file: exactly one record, R's memory image with Id and
// KeyExtra zero (the importing database gives them their values). The file
// is written whole: a failure leaves no partial file and an existing file of
// that name as it was. A failed file step throws EInOutError.
void SaveResultFile(TResultRecord R, const std::string& FileName);

class QWidget;

// The save dialog of a result file: title "Uložit výsledky...", the result
// file's filter and extension "zvr"; it asks before replacing a file.
class TResultSaveDialog : public TFileDialog {
 public:
  explicit TResultSaveDialog(QString objectName);
};

// Asks with `dialog` where to keep R's result file, proposing `proposed`, and
// writes it there. A failed write is reported by `reportFailure` (with the
// chosen name) and the dialog comes again, so the answers are never lost;
// cancelling the dialog asks `quitQuestion`, whose default answer is No (so
// Return keeps the answers), and only Yes gives up. Returns whether the file
// was written.
bool SaveResultFileAsked(
    TFileDialog& dialog, QWidget* parent, const TResultRecord& R, const QString& proposed, const QString& quitQuestion,
    const std::function<void(const std::exception& error, const QString& fileName)>& reportFailure);

// Runs `store` (a step that puts a record into the database) and returns the
// error it raised, or null when it succeeded.
std::exception_ptr StoreFailure(const std::function<void()>& store);

// After the database refused R (`error`, from StoreFailure): the cause in an
// error box, then R kept as a result file with `dialog`, proposed by its
// result-file name in the database's folder, until it is written or the
// counsellor confirms "Opravdu chcete pokračovat BEZ ULOŽENÍ výsledků?". The
// file can be imported into the database later.
void KeepRefusedRecord(std::exception_ptr error, TFileDialog& dialog, QWidget* parent, const TResultRecord& R);

#pragma once
// The list of stored respondents: every record of the database file by name
// and test date, sorted by name or newest test first, and a stored
// respondent reopened in the results screen, whose notes and re-taken
// answers are written back when that screen closes.
#include <QPlainTextEdit>
#include <cstdint>
#include <functional>
#include <vector>

#include "forms.h"
#include "framework.h"
#include "resultfile.h"
#include "ui_dbbrowser.h"

// False: the list is sorted by name; true: by test date, the newest first.
extern bool DatabaseSortByDate;

// What the list is sorted by, read from a stored record.
struct TRecordSortKey {
  TShortString<100> Name;
  double TestDate;
};

// Opens R in the results screen and, when the screen closes, puts the
// screen's record with the memo's notes into R; false when the screen refused
// the record (nothing to store). The program's results screen unless a test
// puts a stand-in here.
extern std::function<bool(TResultRecord& R)> ResultsScreen;

// Shows R with its notes in the results screen over the backdrop (the desktop
// stays unlocked) and, when the screen closes, stores the record the screen
// then holds (with any answers re-taken there) with the memo's notes through
// UpdateRecord; R becomes that record. When the database does not take it
// (gone, unwritable, or changed so that another respondent holds R's place),
// nothing is written there: the cause is shown and the record can be kept
// in a result file.
void ShowStoredResults(TResultRecord& R);

class TDatabaseForm : public TForm, public Ui::DatabaseForm {
  Q_OBJECT

 public:
  TDatabaseForm();

  void ListViewClick();
  void ListViewColumnClick(int column);
  // -1 when A comes before B, otherwise +1 (also for equal keys).
  static int ListViewCompare(const TRecordSortKey& A, const TRecordSortKey& B);
  void ReportButtonClick();
  void InfoButtonClick();

  // Keeps a reopened record as a result file when the database cannot take it back.
  TResultSaveDialog ResultSaveDialog{QStringLiteral("ResultSaveDialog")};

 protected:
  void FormShow() override;

 private:
  // How a listed record is recognised when it is opened.
  struct TListedRecord {
    std::int32_t Id;
    std::uint16_t KeyExtra;
    TShortString<50> UniqueId;
  };

  void SortList(const std::vector<TRecordSortKey>& keys);
  // Reads the selected item's record into R; false when no item is selected,
  // or when the file no longer holds that record at its place (the counsellor
  // is told and the list is read anew).
  bool ReadSelectedRecord(TResultRecord& R);

  std::vector<TListedRecord> listed_;  // by file position
};

extern TDatabaseForm* DatabaseForm;

#include "dbbrowser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <stdexcept>

#include "blank.h"
#include "datetime.h"
#include "dialogs.h"
#include "info.h"
#include "notes.h"
#include "outro.h"
#include "textcodec.h"

TDatabaseForm* DatabaseForm = nullptr;
bool DatabaseSortByDate = false;

namespace {

// A field of a stored record, read from the record's bytes as they lie in the file.
template <class T>
T Field(const unsigned char* record, std::size_t offset) {
  T value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

// The sort key of a stored record. A date that is no number sorts as the
// oldest, so the order stays well defined.
TRecordSortKey SortKeyOf(const unsigned char* record) {
  TRecordSortKey key{Field<TShortString<100>>(record, offsetof(TResultRecord, Name)),
                     Field<double>(record, offsetof(TResultRecord, ScoreSheet) + offsetof(TScoreSheet, TestDate))};
  if (std::isnan(key.TestDate)) key.TestDate = -std::numeric_limits<double>::infinity();
  return key;
}

// The sort keys of every whole record of the database file, by position:
// the file is read once for a whole sort, not once per comparison.
std::vector<TRecordSortKey> ReadSortKeys() {
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
  std::vector<TRecordSortKey> keys;
  keys.reserve(static_cast<std::size_t>(database.RecordCount()));
  database.Scan([&](const unsigned char* record, std::int64_t) {
    keys.push_back(SortKeyOf(record));
    return true;
  });
  database.Close();
  return keys;
}

bool SameRecord(const TResultRecord& R, std::int32_t id, std::uint16_t keyExtra, const TShortString<50>& uniqueId) {
  return R.Id == id && R.KeyExtra == keyExtra && R.UniqueId == uniqueId;
}

}  // namespace

std::function<bool(TResultRecord& R)> ResultsScreen = ShowRecordResults;

void ShowStoredResults(TResultRecord& R) {
  std::exception_ptr refused;
  {
    const TBackdrop backdrop;  // hidden again on every way out, an error included
    if (!ResultsScreen(R)) return;
    refused = StoreFailure([&] { UpdateRecord(R); });
  }
  if (refused) KeepRefusedRecord(refused, DatabaseForm->ResultSaveDialog, DatabaseForm, R);
}

TDatabaseForm::TDatabaseForm() {
  setupUi(this);
  SetDialogFrame();
  SetClientSize(543, 455);
  SetCentredOnShow(true);
  ListView->SetColumns({QStringLiteral("příjmení a jméno"), QStringLiteral("datum a čas testování")});

  Bind(ListView, &TListView::click, this, &TDatabaseForm::ListViewClick);
  Bind(ListView, &TListView::columnClick, this, &TDatabaseForm::ListViewColumnClick);
  Bind(ReportButton, &QPushButton::clicked, this, &TDatabaseForm::ReportButtonClick);
  Bind(InfoButton, &QPushButton::clicked, this, &TDatabaseForm::InfoButtonClick);
}

void TDatabaseForm::FormShow() {
  DatabaseSortByDate = false;
  ListView->Clear();
  listed_.clear();
  std::vector<TListItem> items;
  std::vector<TRecordSortKey> keys;
  // The items read before a failure are listed all the same, unsorted, and the failure is reported.
  try {
    TRecordFile database(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
    const auto count = static_cast<std::size_t>(database.RecordCount());
    items.reserve(count);
    keys.reserve(count);
    listed_.reserve(count);
    database.Scan([&](const unsigned char* record, std::int64_t position) {
      const TRecordSortKey& key = keys.emplace_back(SortKeyOf(record));
      const auto testDate =
          Field<double>(record, offsetof(TResultRecord, ScoreSheet) + offsetof(TScoreSheet, TestDate));
      items.push_back({FromCp1250(key.Name.view()),
                       {QString::fromLatin1(FormatDateTime("d.m.yyyy - hh:nn:ss", testDate))},
                       position});
      listed_.push_back({Field<std::int32_t>(record, offsetof(TResultRecord, Id)),
                         Field<std::uint16_t>(record, offsetof(TResultRecord, KeyExtra)),
                         Field<TShortString<50>>(record, offsetof(TResultRecord, UniqueId))});
      return true;
    });
    // A piece of a record after the last whole one (an append cut short) is
    // no record: the scan leaves it out, as every scan of the database does.
    database.Close();
  } catch (...) {
    ListView->AddItems(std::move(items));
    ListViewClick();
    throw;
  }
  ListView->AddItems(std::move(items));
  ListViewClick();
  SortList(keys);
}

void TDatabaseForm::ListViewClick() {
  const bool selected = ListView->Selected() >= 0;
  ReportButton->setEnabled(selected);
  InfoButton->setEnabled(selected);
  DeleteButton->setEnabled(selected);
}

void TDatabaseForm::ListViewColumnClick(int column) {
  DatabaseSortByDate = column != 0;
  SortList(ReadSortKeys());
}

int TDatabaseForm::ListViewCompare(const TRecordSortKey& A, const TRecordSortKey& B) {
  if (DatabaseSortByDate) return A.TestDate > B.TestDate ? -1 : 1;
  const std::string_view a = A.Name.view();
  const std::string_view b = B.Name.view();
  const int bytes = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));  // unsigned bytes
  return bytes < 0 || (bytes == 0 && a.size() < b.size()) ? -1 : 1;
}

void TDatabaseForm::SortList(const std::vector<TRecordSortKey>& keys) {
  const int count = ListView->Count();
  std::vector<const TRecordSortKey*> keyOf(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::int64_t position = ListView->Item(i).Data;
    // The file has lost this record since the listing: its read fails as it would past the end.
    if (position >= static_cast<std::int64_t>(keys.size())) throw EInOutError(100);
    keyOf[static_cast<std::size_t>(i)] = &keys[static_cast<std::size_t>(position)];
  }
  std::vector<int> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  // Equal keys keep the order they had.
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return ListViewCompare(*keyOf[static_cast<std::size_t>(a)], *keyOf[static_cast<std::size_t>(b)]) < 0;
  });
  ListView->Reorder(order);
}

bool TDatabaseForm::ReadSelectedRecord(TResultRecord& R) {
  const int selected = ListView->Selected();
  if (selected < 0) return false;
  const std::int64_t position = ListView->Item(selected).Data;
  const TListedRecord& listed = listed_.at(static_cast<std::size_t>(position));
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
  TResultRecord stored;
  const bool there = position < database.RecordCount();
  if (there) {
    database.Seek(position);
    database.Read(&stored);
  }
  database.Close();
  if (!there || !SameRecord(stored, listed.Id, listed.KeyExtra, listed.UniqueId)) {
    ShowError(
        QStringLiteral("Databáze se od načtení seznamu změnila a vybraný proband v ní už není na svém místě. "
                       "Seznam probandů se načte znovu."));
    FormShow();
    return false;
  }
  R = stored;
  return true;
}

void TDatabaseForm::ReportButtonClick() {
  TResultRecord R;
  if (ReadSelectedRecord(R)) ShowStoredResults(R);
}

void TDatabaseForm::InfoButtonClick() {
  TResultRecord R;
  if (!ReadSelectedRecord(R)) return;
  InfoForm->ResultRecord = R;
  InfoForm->ShowModal();
}

#pragma once
// A list in report view: one row per item, its caption in the first column
// and its sub-items in the others, under clickable column headings; grid
// lines, whole-row single selection, captions that cannot be edited. Each
// item carries a number of its owner's (Data). The list reports a mouse click
// on it (not a choice made with the keyboard) and a click on a heading; its
// owner decides the order of the items and hands it over with Reorder.
#include <QStringList>
#include <QTableView>
#include <cstdint>
#include <vector>

struct TListItem {
  QString Caption;
  QStringList SubItems;
  std::int64_t Data = 0;
};

class TListItems;

class TListView : public QTableView {
  Q_OBJECT

 public:
  explicit TListView(QWidget* parent = nullptr);

  // The column headings. Every column but the first is as wide as its widest
  // entry; the first takes the rest of the list's width.
  void SetColumns(const QStringList& captions);

  void Clear();
  // Appends items after the last one.
  void AddItems(std::vector<TListItem> items);
  int Count() const;
  const TListItem& Item(int index) const;

  // The index of the selected item, -1 when none is.
  int Selected() const;
  void Select(int index);

  // Puts the items in a new order: order[i] is the present index of the item
  // that is to come i-th (a permutation of 0..Count()-1). The selection stays
  // with its item.
  void Reorder(const std::vector<int>& order);

 signals:
  void click();
  void columnClick(int column);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TListItems* items_;
};

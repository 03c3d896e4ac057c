#include "listview.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <stdexcept>

// The items as the view reads them.
class TListItems : public QAbstractTableModel {
 public:
  explicit TListItems(QObject* parent) : QAbstractTableModel(parent) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(items.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const TListItem& item = items[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) return item.Caption;
    return item.SubItems.value(index.column() - 1);
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return columns.value(section);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

  void SetColumns(const QStringList& captions) {
    beginResetModel();
    columns = captions;
    endResetModel();
  }
  void Clear() {
    beginResetModel();
    items.clear();
    endResetModel();
  }
  void Add(std::vector<TListItem> more) {
    if (more.empty()) return;
    const int first = static_cast<int>(items.size());
    beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
    items.insert(items.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    endInsertRows();
  }
  void Reorder(const std::vector<int>& order) {
    const std::size_t n = items.size();
    if (order.size() != n) throw std::invalid_argument("the new order must hold every item once");
    std::vector<int> newIndex(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
      const int old = order[i];
      if (old < 0 || static_cast<std::size_t>(old) >= n || newIndex[static_cast<std::size_t>(old)] >= 0)
        throw std::invalid_argument("the new order must hold every item once");
      newIndex[static_cast<std::size_t>(old)] = static_cast<int>(i);
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<TListItem> sorted;
    sorted.reserve(n);
    for (const int old : order) sorted.push_back(std::move(items[static_cast<std::size_t>(old)]));
    items = std::move(sorted);
    // The selection and the current item follow their items.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
      after << this->index(newIndex[static_cast<std::size_t>(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }

  QStringList columns;
  std::vector<TListItem> items;
};

namespace {

// Cells drawn without the focus frame of the current cell: the selection
// marks a whole row, and a frame around one of its cells would only distract.
class TRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
  }
};

}  // namespace

TListView::TListView(QWidget* parent) : QTableView(parent), items_(new TListItems(this)) {
  setModel(items_);
  setItemDelegate(new TRowDelegate(this));
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  verticalHeader()->hide();
  // Rows of one line of text, all alike, so long lists need no measuring.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TListView::columnClick);
}

void TListView::SetColumns(const QStringList& captions) {
  items_->SetColumns(captions);
  QHeaderView* header = horizontalHeader();
  // Contents are measured over the rows in view only, so a long list costs no more than a short one.
  header->setResizeContentsPrecision(0);
  for (int c = 0; c < captions.size(); ++c)
    header->setSectionResizeMode(c, c == 0 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
}

void TListView::Clear() {
  items_->Clear();
}

void TListView::AddItems(std::vector<TListItem> items) {
  items_->Add(std::move(items));
}

int TListView::Count() const {
  return static_cast<int>(items_->items.size());
}

const TListItem& TListView::Item(int index) const {
  return items_->items.at(static_cast<std::size_t>(index));
}

int TListView::Selected() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TListView::Select(int index) {
  if (index < 0 || index >= Count()) {
    clearSelection();
    return;
  }
  selectRow(index);
}

void TListView::Reorder(const std::vector<int>& order) {
  items_->Reorder(order);
}

void TListView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit click();
}

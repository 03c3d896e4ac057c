#include "controls.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "pictures.h"

TImage::TImage(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
}

const QImage& TImage::Picture() const {
  if (!pictureName_.empty()) {
    picture_ = ::Picture(pictureName_);
    pictureName_.clear();
  }
  return picture_;
}

void TImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  pictureName_.clear();
  Refresh();
  emit pictureChanged();
}

void TImage::SetPicture(std::string_view name) {
  SetNamedPicture(std::string(name), PictureSize(name));
}

void TImage::AssignPicture(const TImage& source) {
  if (source.pictureName_.empty())
    SetPicture(source.picture_);
  else
    SetNamedPicture(source.pictureName_, source.pictureSize_);
}

void TImage::SetNamedPicture(std::string name, QSize size) {
  picture_ = QImage();
  pictureName_ = std::move(name);
  pictureSize_ = size;
  Refresh();
  emit pictureChanged();
}

void TImage::SetAutoSize(bool on) {
  autoSize_ = on;
  Refresh();
}

void TImage::SetStretch(bool on) {
  stretch_ = on;
  update();
}

void TImage::SetTransparent(bool on) {
  transparent_ = on;
  Refresh();
}

void TImage::Refresh() {
  shown_ = QImage();
  const QSize size = pictureName_.empty() ? picture_.size() : pictureSize_;
  if (autoSize_ && !size.isEmpty()) resize(size);
  update();
}

const QImage& TImage::Shown() {
  if (!shown_.isNull() || Picture().isNull()) return shown_;
  shown_ = picture_;
  if (transparent_) {
    shown_ = picture_.convertToFormat(QImage::Format_ARGB32);
    const int width = shown_.width();
    const int height = shown_.height();
    const QRgb key = shown_.pixel(0, height - 1);
    for (int y = 0; y < height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(shown_.scanLine(y));
      for (int x = 0; x < width; ++x)
        if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
  }
  return shown_;
}

void TImage::paintEvent(QPaintEvent*) {
  const QImage* shown = nullptr;
  try {
    shown = &Shown();
  } catch (const EPictureError&) {
    // Every picture of the programs decodes (their tests decode each one);
    // should one not, the control stays empty rather than end the program.
    return;
  }
  if (shown->isNull()) return;
  QPainter painter(this);
  if (stretch_)
    painter.drawImage(rect(), *shown);
  else
    painter.drawImage(0, 0, *shown);
}

void TClick::Press(const QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
}

bool TClick::Release(const QMouseEvent* event, const QRect& area) {
  if (event->button() != Qt::LeftButton) return false;
  const bool click = pressed_ && area.contains(event->position().toPoint());
  pressed_ = false;
  return click;
}

void TImage::mousePressEvent(QMouseEvent* event) {
  click_.Press(event);
  event->accept();
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = click_.Release(event, rect());
  event->accept();
  if (click) emit clicked();
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
  // The toolkit would take the second press of a double-click for a press of
  // its own, and the release after it for a second click.
  event->accept();
}

void TImage::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  const QPoint at = event->position().toPoint();
  emit mouseMove(event->modifiers(), at.x(), at.y());
}

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
  setAutoFillBackground(true);
  SetBevel(true);
}

void TPanel::SetBevel(bool raised) {
  setFrameStyle(raised ? (QFrame::Panel | QFrame::Raised) : QFrame::NoFrame);
  setLineWidth(1);
}

TListBox::TListBox(QWidget* parent) : QListWidget(parent), collator_(QLocale(QLocale::Czech, QLocale::CzechRepublic)) {
  collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

void TListBox::AddItem(const QString& text) {
  int at = count();
  if (sorted_) {
    // The first item that sorts after the new text; equal texts keep their order of adding.
    int lo = 0;
    int hi = count();
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (collator_.compare(text, item(mid)->text()) < 0)
        hi = mid;
      else
        lo = mid + 1;
    }
    at = lo;
  }
  insertItem(at, text);
}

QStringList TListBox::Items() const {
  QStringList items;
  for (int i = 0; i < count(); ++i) items << item(i)->text();
  return items;
}

void TMaskEdit::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  KeepCursorInText();
}

void TMaskEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  QLineEdit::mouseDoubleClickEvent(event);
  KeepCursorInText();
}

void TMaskEdit::KeepCursorInText() {
  if (hasSelectedText()) return;
  // The mask's blank stands for a free position ("###; " shows "   " empty).
  const QString mask = inputMask();
  const qsizetype semicolon = mask.lastIndexOf(QLatin1Char(';'));
  const QChar blank = semicolon >= 0 && semicolon + 1 < mask.size() ? mask[semicolon + 1] : QLatin1Char(' ');
  const QString shown = displayText();
  qsizetype end = shown.size();
  while (end > 0 && shown[end - 1] == blank) --end;
  const qsizetype at = cursorPosition();
  if (at < end) return;  // within the typed text: edited where clicked
  qsizetype to = end;
  if (end == shown.size()) {
    const qsizetype free = shown.indexOf(blank);
    if (free < 0) return;  // every position taken
    to = free;
  }
  if (to != at) setCursorPosition(static_cast<int>(to));
}

namespace {

class TItemHeightDelegate : public QStyledItemDelegate {
 public:
  TItemHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), height_);
  }

 private:
  int height_;
};

}  // namespace

void SetItemHeight(QAbstractItemView* view, int height) {
  view->setItemDelegate(new TItemHeightDelegate(height, view));
}

namespace {

// Sees the buttons' window hide or be blocked by a modal window opened over
// it, and the pointer leave a button while a popup holds the mouse, and
// resets the buttons then.
class THoverWatcher : public QObject {
 public:
  explicit THoverWatcher(THoverButtons& buttons) : buttons_(buttons) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    bool reset = false;
    switch (event->type()) {
      case QEvent::Hide:
      case QEvent::WindowBlocked:
        reset = static_cast<QWidget*>(watched)->isWindow();
        break;
      case QEvent::Leave:
        reset = QApplication::activePopupWidget() != nullptr;
        break;
      default:
        break;
    }
    if (reset) buttons_.Reset();
    return false;
  }

 private:
  THoverButtons& buttons_;
};

}  // namespace

THoverButtons::THoverButtons() : watcher_(std::make_unique<THoverWatcher>(*this)) {}

THoverButtons::~THoverButtons() = default;

void THoverButtons::Add(TImage* button, TImage* normal, TImage* over) {
  buttons_.push_back({button, normal, over});
  button->installEventFilter(watcher_.get());
  button->window()->installEventFilter(watcher_.get());
  normal->hide();
  over->hide();
  button->SetAutoSize(true);
  ShowNormal(button);
}

THoverButtons::TButton& THoverButtons::Find(TImage* button) {
  for (auto& b : buttons_)
    if (b.Button == button) return b;
  throw std::logic_error("Picture button not registered: " + button->objectName().toStdString());
}

void THoverButtons::SetLooks(TImage* button, TImage* normal, TImage* over) {
  TButton& b = Find(button);
  b.Normal = normal;
  b.Over = over;
}

void THoverButtons::SetExempt(TImage* button, bool exempt) {
  Find(button).Exempt = exempt;
}

void THoverButtons::ShowNormal(TImage* button) {
  button->AssignPicture(*Find(button).Normal);
  button->Tag = 0;
}

void THoverButtons::ShowOver(TImage* button) {
  button->AssignPicture(*Find(button).Over);
  button->Tag = 1;
}

void THoverButtons::Swap(TImage* button) {
  const TButton& entered = Find(button);
  if (!entered.Exempt && button->Tag == 0) ShowOver(button);
  for (auto& b : buttons_)
    if (b.Button != button && b.Button->Tag == 1) ShowNormal(b.Button);
}

void THoverButtons::Reset() {
  for (auto& b : buttons_)
    if (b.Button->Tag == 1) ShowNormal(b.Button);
}

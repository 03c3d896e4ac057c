#pragma once
// Picture controls, panels and the hover protocol of picture buttons.
#include <QAbstractItemView>
#include <QCollator>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A click as the platform's controls count it: the left button pressed on a
// control and released over it.
class TClick {
 public:
  void Press(const QMouseEvent* event);
  // true when this release ends a click within `area`, the control's rectangle.
  bool Release(const QMouseEvent* event, const QRect& area);

 private:
  bool pressed_ = false;
};

// A picture on a window. It draws its picture from its upper-left corner
// (or stretched over its whole area), optionally with the colour of the
// picture's lower-left pixel left out (Transparent), and reports clicks and
// every mouse move over it, also moves without a button held. A double-click
// is one click: its second press starts no click of its own.
class TImage : public QWidget {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  // General-purpose number; picture buttons keep their hover state in it.
  int Tag = 0;

  // The picture; one given by name is decoded here when first asked for.
  const QImage& Picture() const;
  // Replaces the picture (a copy sharing the pixels); with AutoSize the
  // control takes the picture's size.
  void SetPicture(const QImage& picture);
  // Replaces the picture with the programs' picture of that name
  // (pictures.h). The control knows the picture's size at once, but its
  // pixels are decoded only when it is first drawn or its picture is asked
  // for, so a window created at program start pays for its pictures when it
  // is first shown. Throws EPictureError for a name the programs do not have.
  void SetPicture(std::string_view name);
  // The look of another picture control copied into this one (a named
  // picture not yet decoded stays so).
  void AssignPicture(const TImage& source);

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);

 signals:
  void clicked();
  void mouseMove(Qt::KeyboardModifiers shift, int x, int y);
  // Emitted whenever SetPicture replaces the picture.
  void pictureChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void SetNamedPicture(std::string name, QSize size);
  void Refresh();
  const QImage& Shown();

  mutable QImage picture_;
  mutable std::string pictureName_;  // a named picture not yet decoded, else empty
  QSize pictureSize_;                // the size of that named picture
  QImage shown_;                     // the picture as drawn (transparent colour removed), made when drawn
  bool autoSize_ = false;
  bool stretch_ = false;
  bool transparent_ = false;
  TClick click_;
};

// A panel: a plain area with a raised bevel (or none) holding other
// controls. Pages laid one upon another are switched by BringToFront().
class TPanel : public QFrame {
  Q_OBJECT

 public:
  explicit TPanel(QWidget* parent = nullptr);
  void SetBevel(bool raised);
  void BringToFront() { raise(); }
};

// A list of texts. A sorted list keeps its items in the order a Czech reader
// expects (alphabetical with "ch" after "h", letters with diacritics beside
// their base letters, case ignored); every item is ItemHeight pixels high.
class TListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TListBox(QWidget* parent = nullptr);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool on) { sorted_ = on; }
  // Adds a text, at its place in the order when the list is sorted.
  void AddItem(const QString& text);
  QStringList Items() const;

 private:
  bool sorted_ = false;
  QCollator collator_;
};

// A masked edit: a line edit with an input mask whose positions may be far
// narrower than the box. A click past the text typed so far puts the cursor
// where that text ends, or on the first free position when the text already
// reaches the last one, so what is typed next lands in the box wherever the
// box was clicked.
class TMaskEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TMaskEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void KeepCursorInText();
};

// Every row of the view (a list, or the drop-down of a combo box) `height` pixels high.
void SetItemHeight(QAbstractItemView* view, int height);

// The hover protocol of a window's picture buttons. Each button has a normal
// and an over look held by two hidden picture controls of the same window;
// the button's Tag is 0 while it shows its normal look and 1 while it shows
// its over look. Only the window's own mouse-move handlers call Swap (bound
// to a button) and Reset (bound to the background), so a look is copied only
// when a button's state changes, never on every move. Besides the handlers,
// the window hiding or being blocked by a modal window opened over it, and
// the pointer leaving a button while a popup (a drop-down list) holds the
// mouse, act as a move over the background: the background's own handler
// sees no move then, and the button would stay lit.
class THoverButtons {
 public:
  THoverButtons();
  ~THoverButtons();
  THoverButtons(const THoverButtons&) = delete;
  THoverButtons& operator=(const THoverButtons&) = delete;

  // Buttons are visited in the order they are added. The two looks are
  // hidden, and the button takes its normal look and size with tag 0.
  void Add(TImage* button, TImage* normal, TImage* over);
  // Gives a button other looks (for a window whose button changes its role).
  void SetLooks(TImage* button, TImage* normal, TImage* over);
  // An exempt button is left alone by its own swap handler; its look is
  // then set by the window itself.
  void SetExempt(TImage* button, bool exempt);

  // Mouse moved over `button`: it shows its over look (tag 0 -> 1) unless it
  // already does, and every other button whose tag is 1 returns to normal.
  void Swap(TImage* button);
  // Mouse moved over the background: every button whose tag is 1 returns to normal.
  void Reset();

  void ShowNormal(TImage* button);
  void ShowOver(TImage* button);

 private:
  struct TButton {
    TImage* Button;
    TImage* Normal;
    TImage* Over;
    bool Exempt = false;
  };
  TButton& Find(TImage* button);
  std::vector<TButton> buttons_;
  std::unique_ptr<QObject> watcher_;  // the hide and leave events above
};

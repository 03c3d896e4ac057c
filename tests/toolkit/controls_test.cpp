#include "controls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "forms.h"
#include "textcodec.h"

namespace {

QImage Filled(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Counts the emissions of a signal.
struct Counter {
  int n = 0;
  template <class Sender, class Signal>
  Counter(Sender* sender, Signal signal) {
    QObject::connect(sender, signal, [this] { ++n; });
  }
  int count() const { return n; }
};

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
  QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

}  // namespace

TEST(TImage, PictureSizeTransparencyAndClicks) {
  TImage image;
  image.resize(10, 10);
  Counter changes(&image, &TImage::pictureChanged);
  Counter clicks(&image, &TImage::clicked);

  // AutoSize takes the picture's size, also for a picture set later.
  image.SetAutoSize(true);
  QImage picture = Filled(40, 30, Qt::white);
  picture.setPixel(5, 5, qRgb(200, 10, 10));
  picture.setPixel(0, 29, qRgb(1, 2, 3));  // lower-left: the transparent colour
  picture.setPixel(39, 0, qRgb(1, 2, 3));
  image.SetPicture(picture);
  EXPECT_EQ(image.size(), QSize(40, 30));
  EXPECT_EQ(changes.count(), 1);

  // Transparent leaves out exactly the lower-left pixel's colour.
  image.SetTransparent(true);
  QImage drawn(40, 30, QImage::Format_ARGB32);
  drawn.fill(Qt::transparent);
  image.render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);
  EXPECT_EQ(qAlpha(drawn.pixel(0, 29)), 0);
  EXPECT_EQ(qAlpha(drawn.pixel(39, 0)), 0);
  EXPECT_EQ(drawn.pixel(5, 5), qRgb(200, 10, 10));
  EXPECT_EQ(drawn.pixel(20, 20), qRgb(255, 255, 255));
  EXPECT_EQ(image.Picture().pixel(0, 29), qRgb(1, 2, 3)) << "the picture itself is kept";

  // A copied look: the same pixels, one change per copy.
  TImage other;
  other.AssignPicture(image);
  EXPECT_EQ(other.Picture(), image.Picture());

  // A click is a left press and a left release inside the control.
  SendMouse(&image, QEvent::MouseButtonPress, {3, 3}, Qt::LeftButton);
  SendMouse(&image, QEvent::MouseButtonRelease, {4, 4}, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
  SendMouse(&image, QEvent::MouseButtonPress, {3, 3}, Qt::LeftButton);
  SendMouse(&image, QEvent::MouseButtonRelease, {60, 4}, Qt::LeftButton);  // released outside
  SendMouse(&image, QEvent::MouseButtonPress, {3, 3}, Qt::RightButton);
  SendMouse(&image, QEvent::MouseButtonRelease, {3, 3}, Qt::RightButton);
  SendMouse(&image, QEvent::MouseButtonRelease, {3, 3}, Qt::LeftButton);  // no press before it
  EXPECT_EQ(clicks.count(), 1);

  // Moves without a button held arrive too.
  EXPECT_TRUE(image.hasMouseTracking());
}

TEST(THoverButtons, SwapResetExemptAndLooks) {
  TImage a, b, aNormal, aOver, bNormal, bOver, bOther;
  aNormal.SetPicture(Filled(4, 4, Qt::gray));
  aOver.SetPicture(Filled(4, 4, Qt::yellow));
  bNormal.SetPicture(Filled(4, 4, Qt::darkGray));
  bOver.SetPicture(Filled(4, 4, Qt::green));
  bOther.SetPicture(Filled(4, 4, Qt::blue));
  a.AssignPicture(aNormal);
  b.AssignPicture(bNormal);
  THoverButtons hover;
  hover.Add(&a, &aNormal, &aOver);
  hover.Add(&b, &bNormal, &bOver);
  Counter aChanges(&a, &TImage::pictureChanged);

  hover.Swap(&a);
  hover.Swap(&a);
  EXPECT_EQ(a.Tag, 1);
  EXPECT_EQ(a.Picture(), aOver.Picture());
  EXPECT_EQ(aChanges.count(), 1) << "the over look is copied once per entry";

  hover.Swap(&b);
  EXPECT_EQ(a.Tag, 0);
  EXPECT_EQ(a.Picture(), aNormal.Picture());
  EXPECT_EQ(b.Tag, 1);
  EXPECT_EQ(b.Picture(), bOver.Picture());

  hover.Reset();
  hover.Reset();
  EXPECT_EQ(b.Tag, 0);
  EXPECT_EQ(b.Picture(), bNormal.Picture());
  EXPECT_EQ(aChanges.count(), 2);

  // Tags other than exactly 0 or 1 are neither swapped nor reset.
  a.Tag = 2;
  hover.Swap(&a);
  hover.Reset();
  EXPECT_EQ(a.Tag, 2);
  EXPECT_EQ(aChanges.count(), 2);
  a.Tag = 0;

  // An exempt button keeps the look its window gave it, but still returns the others to normal.
  hover.Swap(&a);
  hover.SetExempt(&b, true);
  b.AssignPicture(bOther);
  hover.Swap(&b);
  EXPECT_EQ(b.Tag, 0);
  EXPECT_EQ(b.Picture(), bOther.Picture());
  EXPECT_EQ(a.Tag, 0);
  hover.SetExempt(&b, false);

  // New looks take effect at the next change of state.
  hover.SetLooks(&b, &aNormal, &aOver);
  hover.Swap(&b);
  EXPECT_EQ(b.Picture(), aOver.Picture());

  TImage stranger;
  EXPECT_THROW(hover.Swap(&stranger), std::logic_error);
}

TEST(Toolkit, CtrlJAndTextEdge) {
  EXPECT_TRUE(IsCtrlJ(Qt::Key_J, Qt::ControlModifier));
  EXPECT_TRUE(IsCtrlJ(Qt::Key_J, Qt::ControlModifier | Qt::KeypadModifier));
  EXPECT_FALSE(IsCtrlJ(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_FALSE(IsCtrlJ(Qt::Key_J, Qt::ControlModifier | Qt::AltModifier));
  EXPECT_FALSE(IsCtrlJ(Qt::Key_J, Qt::NoModifier));
  EXPECT_FALSE(IsCtrlJ(Qt::Key_K, Qt::ControlModifier));

  const QString czech = QString::fromUtf8("Příliš žluťoučký kůň – „úpěl“");
  const std::string bytes = ToCp1250(czech);
  EXPECT_EQ(bytes.size(), static_cast<size_t>(czech.size()));
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xF8);  // ř
  EXPECT_EQ(FromCp1250(bytes), czech);
  EXPECT_EQ(ToCp1250(QString::fromUtf8("a€b☺")), std::string("a\x80"
                                                             "b?"));
}

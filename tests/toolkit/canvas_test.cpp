#include <gtest/gtest.h>

#include <QImage>

#include "canvas_painter.h"
#include "canvas_recording.h"

namespace {

QImage White(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setDotsPerMeterX(3780);  // 96 dpi
  image.setDotsPerMeterY(3780);
  return image;
}

}  // namespace

TEST(PainterCanvas, FillsLinesAndOpaqueText) {
  QImage image = White(200, 100);
  {
    TPainterCanvas canvas(image);
    ASSERT_TRUE(canvas.Active());
    EXPECT_EQ(canvas.Width(), 200);
    EXPECT_EQ(canvas.Height(), 100);

    canvas.SetBrushColor(QColor(255, 0, 0));
    canvas.FillRect(QRect(10, 10, 5, 5));

    // A one-pixel line leaves its end point out; a closed outline sets each corner once.
    canvas.SetPenColor(QColor(0, 0, 255));
    canvas.MoveTo(0, 30);
    canvas.LineTo(20, 30);

    canvas.SetBrushColor(QColor(255, 255, 0));
    canvas.SetFontName(QStringLiteral("Arial"));
    canvas.SetFontHeight(30);
    canvas.SetFontColor(Qt::black);
    canvas.TextOut(50, 50, QStringLiteral("Žš"));
  }
  EXPECT_EQ(image.pixel(10, 10), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(14, 14), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(15, 15), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(0, 30), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(19, 30), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(20, 30), qRgb(255, 255, 255));
  // The text's box is filled with the brush, the letters are dark inside it.
  EXPECT_EQ(image.pixel(50, 50), qRgb(255, 255, 0));
  EXPECT_EQ(image.pixel(49, 50), qRgb(255, 255, 255));
  int dark = 0;
  for (int y = 50; y < 80; ++y)
    for (int x = 50; x < 80; ++x) dark += qGray(image.pixel(x, y)) < 80;
  EXPECT_GT(dark, 20);
}

TEST(PainterCanvas, MeasuresAsTheRecordingCanvasDoes) {
  QImage image = White(10, 10);
  TPainterCanvas painter(image);
  TRecordingCanvas recorder(10, 10);
  const QString text = QStringLiteral("Normované rozpětí škál 57");
  for (TCanvas* canvas : {static_cast<TCanvas*>(&painter), static_cast<TCanvas*>(&recorder)}) {
    canvas->SetFontName(QStringLiteral("Arial"));
    canvas->SetFontStyle(fsBold);
  }
  for (const int size : {6, 9, 14}) {
    painter.SetFontSize(size);
    recorder.SetFontSize(size);
    EXPECT_EQ(painter.TextWidth(text), recorder.TextWidth(text)) << size;
    EXPECT_EQ(painter.TextHeight(text), recorder.TextHeight(text)) << size;
  }
  // A pixel height is the character cell: met from below, as closely as the font allows.
  for (const int height : {65, 100, 233}) {
    painter.SetFontHeight(height);
    recorder.SetFontHeight(height);
    EXPECT_LE(painter.TextHeight(text), height);
    EXPECT_GE(painter.TextHeight(text), height - 3);
    EXPECT_EQ(painter.TextWidth(text), recorder.TextWidth(text)) << height;
  }
  // Points follow the surface's resolution: 9 points are 12 pixels at 96 dpi, 75 at 600.
  TCanvasFontState nine;
  nine.Size = 9;
  EXPECT_EQ(CanvasFont(nine, 96).pixelSize(), 12);
  EXPECT_EQ(CanvasFont(nine, 600).pixelSize(), 75);
}

TEST(RecordingCanvas, KeepsEveryCallWithTheStateInEffect) {
  TRecordingCanvas canvas(441, 489);
  canvas.SetPenColor(QColor(128, 128, 128));
  canvas.SetPenWidth(2);
  canvas.MoveTo(20, 244);
  canvas.LineTo(120, 71);
  canvas.LineTo(320, 71);
  canvas.SetFontName(QStringLiteral("Arial"));
  canvas.SetFontCharset(238);
  canvas.SetFontSize(9);
  canvas.SetFontStyle(fsBold);
  canvas.SetFontColor(QColor(255, 0, 0));
  const int width = canvas.TextWidth(QStringLiteral("R"));
  canvas.TextOut(20, 77, QStringLiteral("R"));
  canvas.NewPage();
  canvas.SetBrushColor(Qt::white);
  canvas.FillRect(QRect(0, 0, 441, 489));
  canvas.StretchDraw(QRect(0, 0, 4960, 830), QImage(2481, 415, QImage::Format_RGB32));

  EXPECT_EQ(canvas.Log(),
            QStringList({"PenColor(128,128,128)", "PenWidth(2)", "MoveTo(20,244)", "LineTo(120,71)", "LineTo(320,71)",
                         "FontName(Arial)", "FontCharset(238)", "FontSize(9)", "FontStyle(1)", "FontColor(255,0,0)",
                         "TextWidth(R)", "TextOut(20,77,R)", "NewPage()", "BrushColor(255,255,255)",
                         "FillRect(0,0,441,489)", "StretchDraw(0,0,4960,830)"}));

  ASSERT_EQ(canvas.Lines().size(), 2u);
  EXPECT_EQ(canvas.Lines()[1].From, QPoint(120, 71));
  EXPECT_EQ(canvas.Lines()[1].To, QPoint(320, 71));
  EXPECT_EQ(canvas.Lines()[1].Pen.Width, 2);
  EXPECT_EQ(canvas.Lines()[1].Pen.Color, QColor(128, 128, 128));
  ASSERT_EQ(canvas.Texts().size(), 1u);
  const TCanvasText& text = canvas.Texts()[0];
  EXPECT_EQ(text.Font.Charset, 238);
  EXPECT_EQ(text.Font.Size, 9);
  EXPECT_EQ(text.Font.Style, fsBold);
  EXPECT_EQ(text.Width, width);
  EXPECT_EQ(text.Page, 0);
  EXPECT_EQ(canvas.Fills()[0].Page, 1);
  EXPECT_EQ(canvas.Pictures()[0].PictureSize, QSize(2481, 415));
}

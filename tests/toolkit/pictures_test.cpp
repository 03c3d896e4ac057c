#include "pictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls.h"

namespace {

struct TExpected {
  const char* Name;
  int Width, Height;
};

// Every picture the windows use, at the size their layouts give.
const std::vector<TExpected> Expected = {
    {"main_back", 501, 461},          {"main_newtest_normal", 148, 149},
    {"main_newtest_over", 148, 149},  {"main_readremote_normal", 91, 90},
    {"main_readremote_over", 91, 90}, {"main_database_normal", 91, 94},
    {"main_database_over", 91, 94},   {"test_back", 1074, 602},
    {"test_back_normal", 141, 89},    {"test_back_over", 141, 89},
    {"test_next_normal", 152, 89},    {"test_next_over", 152, 89},
    {"test_finish_normal", 152, 89},  {"test_finish_over", 152, 89},
    {"test_check_normal", 21, 21},    {"test_check_click", 21, 21},
    {"input_back", 801, 600},         {"input_next_normal", 152, 89},
    {"input_next_over", 152, 89},     {"intro_splash1", 800, 508},
    {"intro_splash2", 800, 508},      {"intro_page1", 800, 508},
    {"intro_page2", 800, 508},        {"intro_back", 800, 600},
    {"intro_back_normal", 141, 89},   {"intro_back_over", 141, 89},
    {"intro_next_normal", 152, 89},   {"intro_next_over", 152, 89},
    {"finish_image", 400, 300},       {"correct_back", 400, 315},
    {"fail_back", 400, 315},          {"dialog_yes_normal", 102, 57},
    {"dialog_yes_over", 102, 57},     {"dialog_no_normal", 91, 57},
    {"dialog_no_over", 91, 57},       {"about_image", 400, 240},
    {"outro_back", 800, 600},         {"outro_skorpanel", 1068, 505},
    {"outro_profesepanel", 800, 509}, {"outro_kodpanel", 800, 599},
    {"outro_notepanel", 800, 509},    {"outro_close", 39, 89},
    {"outro_print", 44, 89},          {"outro_skor_normal", 159, 89},
    {"outro_skor_over", 159, 89},     {"outro_kod_normal", 167, 89},
    {"outro_kod_over", 167, 89},      {"outro_profese_normal", 162, 89},
    {"outro_profese_over", 162, 89},  {"outro_note_normal", 184, 89},
    {"outro_note_over", 184, 89},     {"print_banner", 2481, 415},
    {"rem_done", 400, 300},           {"rem_finish", 400, 300},
};

// Mean difference per channel of two pictures of equal size.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}

int ColourDistance(QRgb p, QRgb q) {
  return std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
}

}  // namespace

TEST(Pictures, EveryPictureExistsAtItsSize) {
  QStringList expectedNames;
  for (const auto& e : Expected) {
    SCOPED_TRACE(e.Name);
    expectedNames << e.Name;
    const QImage image = Picture(e.Name);
    EXPECT_EQ(image.width(), e.Width);
    EXPECT_EQ(image.height(), e.Height);
    TImage control;  // sized from the picture's header alone, decoded when drawn
    control.SetAutoSize(true);
    control.SetPicture(e.Name);
    EXPECT_EQ(control.size(), image.size());
  }
  expectedNames.sort();
  EXPECT_EQ(PictureNames(), expectedNames) << "a picture is described that no window uses, or one is missing";

  // Decoded once: a second request shares the first one's pixels.
  EXPECT_EQ(Picture("main_back").cacheKey(), Picture("main_back").cacheKey());

  try {
    Picture("main_newtest");
    FAIL() << "an unknown name must throw";
  } catch (const EPictureError& e) {
    EXPECT_NE(std::string(e.what()).find("\"main_newtest\""), std::string::npos) << e.what();
  }
  EXPECT_THROW(PictureSize("main_newtest"), EPictureError);
  // A copy of a control not yet drawn draws the picture; an unknown name changes nothing.
  TImage image, copy;
  image.SetPicture("dialog_no_over");
  copy.SetAutoSize(true);
  copy.AssignPicture(image);
  EXPECT_EQ(copy.grab().toImage().convertToFormat(QImage::Format_RGB32), Picture("dialog_no_over"));
  EXPECT_THROW(image.SetPicture("dialog_no"), EPictureError);
  EXPECT_EQ(image.Picture(), Picture("dialog_no_over"));
}

TEST(Pictures, ButtonsChangeVisiblyAndBlendWithTheirBackground) {
  // The over look differs clearly from the normal one.
  for (const QString& name : PictureNames()) {
    if (!name.endsWith("_normal")) continue;
    const QString stem = name.chopped(7);
    const QString over = stem + "_over";
    const QString click = stem + "_click";
    const std::string other = (PictureNames().contains(over) ? over : click).toStdString();
    SCOPED_TRACE(other);
    const QImage normal = Picture(name.toStdString());
    const QImage changed = Picture(other);
    ASSERT_EQ(normal.size(), changed.size());
    EXPECT_GT(MeanDifference(normal, changed), 25.0);
  }

  // A button is a rectangle laid over the background: its corners must match
  // the background where it sits, or the rectangle shows.
  struct TPlacement {
    const char* Button;
    const char* Background;
    int X, Y;  // the button's place in the background picture's pixels
  };
  const TPlacement placements[] = {
      {"main_newtest_normal", "main_back", 18, 25},
      {"main_readremote_over", "main_back", 46, 184},
      {"main_database_normal", "main_back", 46, 279},
      {"test_back_normal", "test_back", 456 + 137, 515 + 1},
      {"test_finish_over", "test_back", 608 + 137, 516},
      {"input_next_normal", "input_back", 601, 515},
      {"intro_back_over", "intro_back", 457, 516},
      {"intro_next_normal", "intro_back", 609, 516},
      {"dialog_yes_normal", "correct_back", 98, 246},
      {"dialog_no_over", "fail_back", 218, 246},
      {"outro_close", "outro_back", 0, 515},
      {"outro_note_over", "outro_back", 616, 515},
  };
  for (const auto& p : placements) {
    SCOPED_TRACE(p.Button);
    const QImage button = Picture(p.Button);
    const QImage back = Picture(p.Background);
    for (int cy : {1, std::min(button.height(), back.height() - p.Y) - 2})
      for (int cx : {1, button.width() - 2})
        EXPECT_LE(ColourDistance(button.pixel(cx, cy), back.pixel(p.X + cx, p.Y + cy)), 8)
            << "corner " << cx << ", " << cy;
  }

  // The report banner is black on white.
  const QImage banner = Picture("print_banner");
  EXPECT_EQ(qGray(banner.pixel(banner.width() - 5, 5)), 255);
  int dark = 0;
  for (int x = 0; x < 1000; ++x) dark += qGray(banner.pixel(x, 150)) < 40;
  EXPECT_GT(dark, 100);
}

#include "jpeg.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "pictures.h"

namespace {

using TBytes = std::vector<unsigned char>;

// The largest difference of one colour channel between two pictures of equal size.
int MaxChannelDifference(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  int worst = 0;
  for (int row = 0; row < x.height(); ++row) {
    const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
    const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
    for (int col = 0; col < x.width(); ++col) {
      worst = std::max({worst, std::abs(qRed(p[col]) - qRed(q[col])), std::abs(qGreen(p[col]) - qGreen(q[col])),
                        std::abs(qBlue(p[col]) - qBlue(q[col]))});
    }
  }
  return worst;
}

// Qt's own JPEG reader (its image plugin) as the reference decoder.
QImage ReferenceDecode(const TBytes& bytes) {
  QImage image;
  image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "JPG");
  return image;
}

TBytes Encode(const QImage& image, bool progressive, int quality = 95) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "JPG");
  writer.setQuality(quality);
  writer.setProgressiveScanWrite(progressive);
  EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
  return TBytes(out.begin(), out.end());
}

// A picture whose four quadrants are pure red, green, blue and white: a swapped
// channel or a mirrored row shows at once.
QImage Quadrants(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      image.setPixel(
          x, y,
          !bottom ? (right ? qRgb(0, 200, 0) : qRgb(200, 0, 0)) : (right ? qRgb(255, 255, 255) : qRgb(0, 0, 200)));
    }
  return image;
}

std::string DecodeError(const TBytes& bytes) {
  try {
    DecodeJpeg(bytes.data(), bytes.size());
  } catch (const EPictureError& e) {
    return e.what();
  }
  return "decoded";
}

// The offset of the first marker FF code in a JPEG stream, or npos.
std::size_t FindMarker(const TBytes& bytes, unsigned char code) {
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == code) return i;
  return std::string::npos;
}

}  // namespace

TEST(JpegLoader, DecodesLikeTheReferenceDecoder) {
  // Every picture of the programs (colour ones and the greyscale banner).
  for (const auto& file : PictureFiles()) {
    SCOPED_TRACE(std::string(file.Name));
    const TBytes bytes(file.Data, file.Data + file.Size);
    const QImage ours = DecodeJpeg(bytes.data(), bytes.size());
    const QImage reference = ReferenceDecode(bytes);
    ASSERT_FALSE(reference.isNull());
    EXPECT_EQ(ours.format(), QImage::Format_RGB32);
    ASSERT_EQ(ours.size(), reference.size());
    EXPECT_LE(MaxChannelDifference(ours, reference), 2);
  }

  // Baseline and progressive files with 4:2:0 chroma, at an odd size, against
  // the reference and against what was encoded.
  const QImage original = Quadrants(37, 23);
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const TBytes bytes = Encode(original, progressive);
    const QImage ours = DecodeJpeg(bytes.data(), bytes.size());
    ASSERT_EQ(ours.size(), original.size());
    EXPECT_LE(MaxChannelDifference(ours, ReferenceDecode(bytes)), 2);
    // Away from the edges between quadrants the colours come back nearly exact.
    EXPECT_LE(MaxChannelDifference(ours.copy(2, 2, 12, 7), original.copy(2, 2, 12, 7)), 12);
    EXPECT_LE(MaxChannelDifference(ours.copy(24, 15, 10, 6), original.copy(24, 15, 10, 6)), 12);
  }

  // A greyscale file comes out as grey RGB.
  QImage grey(16, 8, QImage::Format_Grayscale8);
  grey.fill(100);
  const TBytes greyBytes = Encode(grey, false, 100);
  const QImage decoded = DecodeJpeg(greyBytes.data(), greyBytes.size());
  EXPECT_NEAR(qRed(decoded.pixel(5, 5)), 100, 1);
  EXPECT_EQ(qRed(decoded.pixel(5, 5)), qBlue(decoded.pixel(5, 5)));
  EXPECT_EQ(qRed(decoded.pixel(5, 5)), qGreen(decoded.pixel(5, 5)));
}

TEST(JpegLoader, DamagedDataGivesAClearError) {
  const TBytes good = Encode(Quadrants(24, 16), false);
  ASSERT_EQ(DecodeError(good), "decoded");

  const std::string prefix = "Obrázek JPEG nelze dekódovat: ";
  EXPECT_EQ(DecodeError({}), prefix + "data jsou prázdná");
  EXPECT_THROW(DecodeJpeg(nullptr, 10), EPictureError);
  EXPECT_TRUE(DecodeError(TBytes(300, 0x41)).starts_with(prefix + "Not a JPEG file"));

  // Cut after every possible length: always an error, never a crash or a
  // half-grey picture passed off as whole.
  for (std::size_t n = 1; n < good.size(); ++n) {
    const TBytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    const std::string error = DecodeError(cut);
    ASSERT_TRUE(error.starts_with(prefix)) << "cut at " << n << ": " << error;
  }
  const TBytes halfway(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  EXPECT_NE(DecodeError(halfway).find("Premature end of JPEG file"), std::string::npos) << DecodeError(halfway);

  // The frame header gives the size: height at +5, width at +7 after the marker.
  const std::size_t frame = FindMarker(good, 0xC0);
  ASSERT_NE(frame, std::string::npos);
  TBytes empty = good;
  empty[frame + 5] = empty[frame + 6] = 0;
  EXPECT_TRUE(DecodeError(empty).starts_with(prefix)) << DecodeError(empty);
  TBytes huge = good;
  huge[frame + 5] = huge[frame + 7] = 0x4E;  // 20000 x 20000
  huge[frame + 6] = huge[frame + 8] = 0x20;
  EXPECT_EQ(DecodeError(huge), prefix + "obrázek 20000 x 20000 bodů je příliš velký");
  huge[frame + 5] = 0x01;  // 20000 wide and 288 high: one side alone too wide
  EXPECT_EQ(DecodeError(huge), prefix + "obrázek 20000 x 288 bodů je příliš velký");

  // Garbage in the middle of the compressed data.
  TBytes scrambled = good;
  const std::size_t scan = FindMarker(good, 0xDA);
  ASSERT_NE(scan, std::string::npos);
  for (std::size_t i = scan + 20; i + 4 < scrambled.size(); i += 3) scrambled[i] = 0xFF;
  EXPECT_TRUE(DecodeError(scrambled).starts_with(prefix)) << DecodeError(scrambled);
}

#pragma once
// The JPEG loader of every picture of both programs: libjpeg decompressing
// from memory. Qt's own image plugins are not used for our pictures.
#include <QImage>
#include <cstddef>
#include <stdexcept>
#include <string>

// A picture that cannot be decoded (damaged or not a JPEG at all), or a
// picture name that the programs do not have.
class EPictureError : public std::runtime_error {
 public:
  explicit EPictureError(const std::string& message) : std::runtime_error(message) {}
};

// The largest picture the loader accepts, per side and in pixels; the largest
// picture of the programs (the report banner) is 2481 x 415.
inline constexpr int MaxPictureSide = 8192;
inline constexpr long long MaxPicturePixels = 16LL * 1024 * 1024;

// Decodes a baseline or progressive JPEG, greyscale or colour, held in memory,
// into a QImage of format RGB32. Throws EPictureError with libjpeg's reason for
// empty, truncated or damaged data, an unsupported colour space or a size
// beyond the limits above; nothing is left allocated.
QImage DecodeJpeg(const unsigned char* data, std::size_t size);

// The size of such a picture from its header alone, without decoding it;
// throws EPictureError as DecodeJpeg does for data that is no picture or
// beyond the limits (damage further into the data shows only when decoding).
QSize JpegSize(const unsigned char* data, std::size_t size);

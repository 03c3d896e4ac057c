// libFuzzer harness for the JPEG loader: any bytes either decode or raise
// EPictureError; nothing else may escape, crash or leak.
#include <cstddef>
#include <cstdint>

#include "jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const QImage image = DecodeJpeg(data, size);
    if (image.isNull() || image.width() > MaxPictureSide || image.height() > MaxPictureSide) __builtin_trap();
  } catch (const EPictureError&) {
  }
  return 0;
}

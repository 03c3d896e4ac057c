// libFuzzer harness for the JPEG loader: any bytes either decode or raise
// EPictureError, and so does reading their size alone; nothing else may
// escape, crash or leak.
//
// Random bytes rarely get past a JPEG header, so an input whose first byte is
// even is taken as edits to one of the programs' own small pictures instead:
// two bytes of length to keep, then (two bytes of offset, one byte of value)
// triples. An odd first byte hands the rest of the input over unchanged.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "jpeg.h"
#include "pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<unsigned char> bytes;
  if (data[0] % 2) {
    bytes.assign(data + 1, data + size);
  } else {
    const TEmbeddedFile* base =
        FindEmbedded(PictureFiles(), data[0] % 4 ? "dialog_no_normal.jpg" : "test_check_click.jpg");
    if (!base) __builtin_trap();
    bytes.assign(base->Data, base->Data + base->Size);
    std::size_t k = 1;
    if (k + 2 <= size) {
      const std::size_t keep = (static_cast<std::size_t>(data[k]) << 8) | data[k + 1];
      if (keep > 0 && keep < bytes.size()) bytes.resize(keep);
      k += 2;
    }
    for (; k + 3 <= size && !bytes.empty(); k += 3) {
      const std::size_t at = ((static_cast<std::size_t>(data[k]) << 8) | data[k + 1]) % bytes.size();
      bytes[at] = data[k + 2];
    }
  }
  // A picture that decodes has the size its header alone gives.
  QSize headerSize;
  try {
    headerSize = JpegSize(bytes.data(), bytes.size());
  } catch (const EPictureError&) {
  }
  try {
    const QImage image = DecodeJpeg(bytes.data(), bytes.size());
    if (image.isNull() || image.width() > MaxPictureSide || image.height() > MaxPictureSide ||
        image.size() != headerSize)
      __builtin_trap();
  } catch (const EPictureError&) {
  }
  return 0;
}

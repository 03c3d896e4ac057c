#include "jpeg.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
// clang-format on

#include <bit>
#include <csetjmp>
#include <cstring>

// libjpeg reports an error by calling error_exit, which must not return. It
// jumps back to the setjmp of the decoding step that called libjpeg; those
// steps (ReadHeader, ReadPixels) hold no object with a destructor, so the jump
// skips only libjpeg's own C frames. The caller then throws.

static_assert(std::endian::native == std::endian::little, "RGB32 rows are written as B, G, R, X bytes");

namespace {

// A progressive file may have any number of scans; a damaged one with
// thousands of tiny scans would keep the decoder busy for minutes.
constexpr int MaxScans = 1000;
// libjpeg's working memory for one picture (coefficients of a progressive file).
constexpr long MaxDecoderMemory = 512L * 1024 * 1024;

struct TErrorManager {
  jpeg_error_mgr Base;  // first, so libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

struct TDecoder {
  jpeg_decompress_struct Info;
  TErrorManager Errors;
  jpeg_progress_mgr Progress;
  bool Created;

  TDecoder();
};

[[noreturn]] void JumpOut(j_common_ptr info) {
  auto* errors = reinterpret_cast<TErrorManager*>(info->err);
  std::longjmp(errors->Jump, 1);
}

void ErrorExit(j_common_ptr info) {
  auto* errors = reinterpret_cast<TErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->Message);
  JumpOut(info);
}

// Warnings mean damaged data (a truncated file, corrupt entropy data), which
// libjpeg would paper over with grey; a picture of ours is never damaged, so
// a warning fails the decoding as an error does.
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ErrorExit(info);
}

void CheckProgress(j_common_ptr info) {
  auto* d = reinterpret_cast<j_decompress_ptr>(info);
  if (d->input_scan_number > MaxScans) {
    auto* errors = reinterpret_cast<TErrorManager*>(info->err);
    std::snprintf(errors->Message, sizeof errors->Message, "more than %d scans", MaxScans);
    JumpOut(info);
  }
}

TDecoder::TDecoder() {
  std::memset(static_cast<void*>(this), 0, sizeof *this);
  Info.err = jpeg_std_error(&Errors.Base);
  Errors.Base.error_exit = ErrorExit;
  Errors.Base.emit_message = EmitMessage;
  Progress.progress_monitor = CheckProgress;
}

// Sets up the decoder on the data and reads the header; false on an error.
bool ReadHeader(TDecoder& d, const unsigned char* data, std::size_t size) {
  if (setjmp(d.Errors.Jump)) return false;
  jpeg_create_decompress(&d.Info);
  d.Created = true;
  d.Info.mem->max_memory_to_use = MaxDecoderMemory;
  d.Info.progress = &d.Progress;
  jpeg_mem_src(&d.Info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&d.Info, TRUE) != JPEG_HEADER_OK) {
    std::snprintf(d.Errors.Message, sizeof d.Errors.Message, "no image in the data");
    return false;
  }
  if (d.Info.jpeg_color_space != JCS_GRAYSCALE && d.Info.jpeg_color_space != JCS_YCbCr &&
      d.Info.jpeg_color_space != JCS_RGB) {
    std::snprintf(d.Errors.Message, sizeof d.Errors.Message, "unsupported colour space (only grey and RGB)");
    return false;
  }
  d.Info.out_color_space = JCS_EXT_BGRX;
  jpeg_calc_output_dimensions(&d.Info);
  return true;
}

// Decodes every row into `bits` (rows of `stride` bytes); false on an error.
bool ReadPixels(TDecoder& d, unsigned char* bits, std::size_t stride) {
  if (setjmp(d.Errors.Jump)) return false;
  jpeg_start_decompress(&d.Info);
  while (d.Info.output_scanline < d.Info.output_height) {
    JSAMPROW row = bits + static_cast<std::size_t>(d.Info.output_scanline) * stride;
    if (jpeg_read_scanlines(&d.Info, &row, 1) != 1) {
      std::snprintf(d.Errors.Message, sizeof d.Errors.Message, "data končí předčasně");
      return false;
    }
  }
  jpeg_finish_decompress(&d.Info);
  return true;
}

// Frees libjpeg's state on every way out of a decoding step.
struct TDecoderGuard {
  TDecoder& D;
  ~TDecoderGuard() {
    if (D.Created) jpeg_destroy_decompress(&D.Info);
  }
};

[[noreturn]] void Fail(const char* reason) {
  throw EPictureError(std::string("Obrázek JPEG nelze dekódovat: ") + reason);
}

// Sets the decoder up on the data and reads the header: the picture's size,
// checked against the limits. Throws for data that is no picture of ours.
QSize OpenJpeg(TDecoder& d, const unsigned char* data, std::size_t size) {
  if (!data || size == 0) Fail("data jsou prázdná");
  if (!ReadHeader(d, data, size)) Fail(d.Errors.Message);
  const long long width = d.Info.output_width;
  const long long height = d.Info.output_height;
  if (width <= 0 || height <= 0 || width > MaxPictureSide || height > MaxPictureSide ||
      width * height > MaxPicturePixels)
    Fail(("obrázek " + std::to_string(width) + " x " + std::to_string(height) + " bodů je příliš velký").c_str());
  return QSize(static_cast<int>(width), static_cast<int>(height));
}

}  // namespace

QSize JpegSize(const unsigned char* data, std::size_t size) {
  TDecoder d;
  TDecoderGuard guard{d};
  return OpenJpeg(d, data, size);
}

QImage DecodeJpeg(const unsigned char* data, std::size_t size) {
  TDecoder d;
  TDecoderGuard guard{d};
  QImage image(OpenJpeg(d, data, size), QImage::Format_RGB32);
  if (image.isNull()) Fail("nedostatek paměti");
  if (!ReadPixels(d, image.bits(), static_cast<std::size_t>(image.bytesPerLine()))) Fail(d.Errors.Message);
  return image;
}

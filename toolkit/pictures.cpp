#include "pictures.h"

#include <map>
#include <string>

namespace {

constexpr std::string_view Extension = ".jpg";

// Reads the embedded picture of that name with `read`; a failure names the picture.
template <class Read>
auto ReadPicture(std::string_view name, Read read) {
  const TEmbeddedFile* file = FindEmbedded(PictureFiles(), std::string(name) + std::string(Extension));
  if (!file) throw EPictureError("Program neobsahuje obrázek \"" + std::string(name) + "\"");
  try {
    return read(file->Data, file->Size);
  } catch (const EPictureError& e) {
    throw EPictureError(std::string(e.what()) + " (obrázek \"" + std::string(name) + "\")");
  }
}

}  // namespace

QImage Picture(std::string_view name) {
  // Decoded pictures stay for the program's life; QImage copies share the pixels.
  static std::map<std::string, QImage, std::less<>> cache;
  if (auto it = cache.find(name); it != cache.end()) return it->second;
  const QImage image = ReadPicture(name, DecodeJpeg);
  cache.emplace(std::string(name), image);
  return image;
}

QSize PictureSize(std::string_view name) {
  return ReadPicture(name, JpegSize);
}

QStringList PictureNames() {
  QStringList names;
  for (const auto& f : PictureFiles()) {
    if (f.Name.ends_with(Extension))
      names << QString::fromUtf8(f.Name.data(), static_cast<qsizetype>(f.Name.size() - Extension.size()));
  }
  names.sort();
  return names;
}

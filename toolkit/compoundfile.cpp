#include "compoundfile.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Sector numbers above this one are marks: end of a chain, a free sector, a FAT or DIFAT sector.
constexpr std::uint32_t MaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t FreeSector = 0xFFFFFFFF;
constexpr std::uint32_t NoEntry = 0xFFFFFFFF;
constexpr std::size_t HeaderFatEntries = 109;
constexpr std::size_t EntrySize = 128;
constexpr std::size_t MiniSectorSize = 64;
constexpr std::uint32_t MiniStreamCutoff = 4096;
constexpr std::uint16_t WordIdentifier = 0xA5EC;

// The fault that ends the check, with its Czech phrase.
struct TFault {
  const char* Cause;
};
constexpr TFault NotCompound{"nejde o složený soubor OLE"};
constexpr TFault Truncated{"soubor je zkrácený"};
constexpr TFault Damaged{"jeho struktura je poškozená"};
constexpr TFault NoDocumentStream{"soubor neobsahuje text dokumentu (proud WordDocument)"};
constexpr TFault NotWordStream{"proud WordDocument nezačíná značkou MS Word"};

std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t U32(std::string_view b, std::size_t at) {
  return U16(b, at) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}

class TCompoundFile {
 public:
  explicit TCompoundFile(std::string_view bytes) : bytes_(bytes) {
    static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0) throw NotCompound;
    if (bytes.size() < 512) throw Truncated;
    const std::uint16_t major = U16(bytes, 26), shift = U16(bytes, 30);
    if (U16(bytes, 28) != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12)) ||
        U16(bytes, 32) != 6 || U32(bytes, 56) != MiniStreamCutoff)
      throw Damaged;
    version3_ = major == 3;
    sectorSize_ = std::size_t{1} << shift;
    if (bytes.size() < sectorSize_) throw Truncated;
    // Sector n stands at (n + 1) * sector size: the header takes the place of one sector.
    sectors_ = bytes.size() / sectorSize_ - 1;
    ReadFat(U32(bytes, 44), U32(bytes, 68), U32(bytes, 72));
    // Every sector the allocation table gives out must be in the file.
    for (std::size_t i = sectors_; i < fat_.size(); ++i)
      if (fat_[i] != FreeSector) throw Truncated;

    directory_ = ChainBytes(U32(bytes, 48));
    if (directory_.size() < EntrySize || directory_[66] != 5) throw Damaged;  // the root storage
    const std::string miniFat = ChainBytes(U32(bytes, 60));
    for (std::size_t at = 0; at + 4 <= miniFat.size(); at += 4) miniFat_.push_back(U32(miniFat, at));
    miniStream_ = ChainBytes(U32(directory_, 116));
    const std::uint64_t miniSize = StreamSize(0);
    if (miniSize > miniStream_.size()) throw Damaged;
    miniStream_.resize(miniSize);
  }

  // The stream of this name in the root storage, or throws NoDocumentStream.
  std::string RootStream(std::u16string_view name) const {
    const std::size_t entries = directory_.size() / EntrySize;
    std::vector<std::uint32_t> pending{U32(directory_, 76)};
    std::size_t visited = 0;
    while (!pending.empty()) {
      const std::uint32_t id = pending.back();
      pending.pop_back();
      if (id == NoEntry) continue;
      if (id >= entries || ++visited > entries) throw Damaged;
      const std::size_t at = id * EntrySize;
      if (directory_[at + 66] == 2 && EntryName(at) == name) return StreamBytes(id);
      pending.push_back(U32(directory_, at + 68));  // left sibling
      pending.push_back(U32(directory_, at + 72));  // right sibling
    }
    throw NoDocumentStream;
  }

 private:
  // The FAT: its first 109 sectors are named in the header, the rest in a chain of DIFAT sectors.
  void ReadFat(std::uint32_t fatSectors, std::uint32_t difat, std::uint32_t difatSectors) {
    if (fatSectors > sectors_ || difatSectors > sectors_) throw Truncated;
    std::vector<std::uint32_t> names;
    for (std::size_t i = 0; i < HeaderFatEntries && names.size() < fatSectors; ++i)
      names.push_back(U32(bytes_, 76 + 4 * i));
    const std::size_t perDifat = sectorSize_ / 4 - 1;
    for (std::uint32_t k = 0; k < difatSectors && names.size() < fatSectors; ++k) {
      const std::string_view sector = Sector(difat);
      for (std::size_t i = 0; i < perDifat && names.size() < fatSectors; ++i) names.push_back(U32(sector, 4 * i));
      difat = U32(sector, 4 * perDifat);
    }
    if (names.size() < fatSectors) throw Damaged;
    for (const std::uint32_t name : names) {
      const std::string_view sector = Sector(name);
      for (std::size_t at = 0; at < sectorSize_; at += 4) fat_.push_back(U32(sector, at));
    }
  }

  std::string_view Sector(std::uint32_t n) const {
    if (n > MaxRegularSector) throw Damaged;
    if (n >= sectors_) throw Truncated;
    return bytes_.substr((std::size_t{n} + 1) * sectorSize_, sectorSize_);
  }

  // The sectors of a chain in `table`, from `start` to its end mark; an empty chain starts at the end mark.
  static std::vector<std::uint32_t> Chain(const std::vector<std::uint32_t>& table, std::uint32_t start) {
    std::vector<std::uint32_t> chain;
    std::vector<bool> seen(table.size());
    for (std::uint32_t s = start; s != EndOfChain; s = table[s]) {
      if (s >= table.size() || seen[s]) throw Damaged;  // out of the table, or a loop
      seen[s] = true;
      chain.push_back(s);
    }
    return chain;
  }

  std::string ChainBytes(std::uint32_t start) const {
    std::string out;
    for (const std::uint32_t s : Chain(fat_, start)) out += Sector(s);
    return out;
  }

  // A stream's size; the high half is not used in a version 3 file and may hold anything there.
  std::uint64_t StreamSize(std::uint32_t id) const {
    const std::size_t at = id * EntrySize + 120;
    const std::uint64_t high = version3_ ? 0 : U32(directory_, at + 4);
    return high << 32 | U32(directory_, at);
  }

  // A stream's bytes: a small one lies in the mini stream, in 64-byte sectors of the mini FAT.
  std::string StreamBytes(std::uint32_t id) const {
    const std::uint64_t size = StreamSize(id);
    const std::uint32_t start = U32(directory_, id * EntrySize + 116);
    std::string out;
    if (size < MiniStreamCutoff) {
      for (const std::uint32_t s : Chain(miniFat_, start)) {
        if ((std::size_t{s} + 1) * MiniSectorSize > miniStream_.size()) throw Damaged;
        out.append(miniStream_, std::size_t{s} * MiniSectorSize, MiniSectorSize);
      }
    } else {
      out = ChainBytes(start);
    }
    if (out.size() < size) throw Damaged;
    out.resize(size);
    return out;
  }

  // An entry's name: UTF-16 of the given length in bytes, its terminating zero included.
  std::u16string EntryName(std::size_t at) const {
    const std::size_t length = U16(directory_, at + 64);
    if (length < 2 || length > 64 || length % 2 != 0) return {};
    std::u16string name;
    for (std::size_t i = 0; i + 2 < length; i += 2) name += static_cast<char16_t>(U16(directory_, at + i));
    return name;
  }

  std::string_view bytes_;
  bool version3_ = true;
  std::size_t sectorSize_ = 512;
  std::size_t sectors_ = 0;  // whole sectors in the file after the header
  std::vector<std::uint32_t> fat_, miniFat_;
  std::string directory_, miniStream_;
};

}  // namespace

std::string Word97Fault(std::string_view bytes) {
  try {
    const std::string document = TCompoundFile(bytes).RootStream(u"WordDocument");
    if (document.size() < 2 || U16(document, 0) != WordIdentifier) throw NotWordStream;
    return {};
  } catch (const TFault& fault) {
    return fault.Cause;
  }
}

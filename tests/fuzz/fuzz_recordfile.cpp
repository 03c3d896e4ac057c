// Arbitrary bytes as a result file, a backup and a database: every record
// operation must end normally or with its error, and the fields a reader
// shows (notes, test date) must decode without fault.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "commatext.h"
#include "datetime.h"
#include "framework.h"

namespace {

// A temporary folder for the files of one fuzzing run, removed when it ends.
struct TFolder {
  std::string Path = "/tmp/zovi-fuzz-XXXXXX";
  TFolder() {
    if (!mkdtemp(Path.data())) std::abort();
  }
  ~TFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
};

const std::string& Folder() {
  static const TFolder folder;
  return folder.Path;
}

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A file of `records` whole records and `trailing` bytes more, its bytes the
// payload repeated from `phase` on, so that short inputs fill whole records.
std::string Tiled(std::string_view payload, std::size_t records, std::size_t trailing, std::size_t phase) {
  std::string out(records * RecordSize + trailing, '\0');
  if (!payload.empty())
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = payload[(phase + i) % payload.size()];
  return out;
}

template <typename F>
void Guarded(F step) {
  try {
    step();
  } catch (const EInOutError&) {
  } catch (const EDatabaseError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string result = Folder() + "/input.zvr", backup = Folder() + "/input.dba";
  const std::string copy = Folder() + "/copy.dba";
  DatabaseFileName = Folder() + "/zovi.db";
  // The first bytes shape the files, the rest fills them.
  std::uint8_t shape[4] = {};
  for (std::size_t i = 0; i < 4 && i < size; ++i) shape[i] = data[i];
  const std::string_view payload(reinterpret_cast<const char*>(data), size);
  Write(result, std::string(payload));
  Write(DatabaseFileName, Tiled(payload.substr(std::min<std::size_t>(4, size)), shape[0] % 5, shape[1] % 97, 0));
  Write(backup, Tiled(payload.substr(std::min<std::size_t>(4, size)), shape[2] % 5, shape[1] % 13, shape[3]));

  TResultRecord r{};
  Guarded([&] {
    LoadResultFile(r, result);
    (void)SplitCommaText(RecordNotes(r));
    (void)FormatDateTime("d.m.yyyy - hh:nn:ss", r.ScoreSheet.TestDate);
    (void)DecodeDateTime(r.ScoreSheet.TestDate);
  });
  Guarded([&] { LoadResultFile(r, backup); });
  Guarded([&] { AppendRecord(r); });
  Guarded([&] { UpdateRecord(r); });
  Guarded([&] { BackupDatabase(copy); });
  Guarded([&] { RestoreDatabase(backup); });
  Guarded([&] { RestoreDatabase(copy); });
  return 0;
}

// The record operations on a database of 10,000 records (64 MB), against the
// floor of reading that file once with large buffers.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework.h"

namespace {

constexpr int DatabaseRecords = 10000;

std::string Folder, Database, Backup, Copy;

TResultRecord NumberedRecord(int n, char prefix) {
  TResultRecord r{};
  InitResultRecord(r);
  r.UniqueId.Chars[0] = prefix;  // databases and backups never share a UniqueId
  r.Name.assign("Respondent " + std::to_string(n));
  r.Id = 2 * n + 1;
  return r;
}

void WriteRecords(const std::string& name, char prefix) {
  std::vector<TResultRecord> records;
  for (int i = 0; i < DatabaseRecords; ++i) records.push_back(NumberedRecord(i, prefix));
  TRecordFile f(name, TRecordFileMode::Create, RecordSize);
  f.Write(records.data(), records.size());
  f.Close();
}

// Cuts the database back to its 10,000 records after an operation that appended.
void TrimDatabase() {
  std::filesystem::resize_file(Database, std::uintmax_t{DatabaseRecords} * RecordSize);
}

void Floor(benchmark::State& state) {
  auto buffer = std::make_unique<char[]>(1 << 20);
  for (auto _ : state) {
    const int fd = ::open(Database.c_str(), O_RDONLY);
    std::size_t total = 0;
    for (ssize_t n; (n = ::read(fd, buffer.get(), 1 << 20)) > 0;) total += static_cast<std::size_t>(n);
    ::close(fd);
    benchmark::DoNotOptimize(total);
  }
}

void Append(benchmark::State& state) {
  TResultRecord r = NumberedRecord(-1, 'N');
  for (auto _ : state) {
    AppendRecord(r);
    state.PauseTiming();
    TrimDatabase();
    state.ResumeTiming();
  }
}

void UpdateLast(benchmark::State& state) {
  TResultRecord last;
  TRecordFile f(Database, TRecordFileMode::ReadOnly, RecordSize);
  f.Seek(DatabaseRecords - 1);
  f.Read(&last);
  f.Close();
  for (auto _ : state) UpdateRecord(last);
}

void Backup10000(benchmark::State& state) {
  for (auto _ : state) BackupDatabase(Copy);
}

// A backup to a new file name; replacing an existing 64 MB file makes ext4
// write the replaced file's blocks out at close (its protection for files
// rewritten from length 0), which Backup10000 includes.
void BackupNew(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(Copy);
    state.ResumeTiming();
    BackupDatabase(Copy);
  }
}

// Writing what a restore appends: 10,000 records at the end, in large blocks.
void WriteAppended(benchmark::State& state) {
  const std::string bytes = [] {
    std::string all(std::size_t{DatabaseRecords} * RecordSize, '\0');
    TRecordFile f(Backup, TRecordFileMode::ReadOnly, RecordSize);
    f.Read(all.data(), DatabaseRecords);
    return all;
  }();
  for (auto _ : state) {
    TRecordFile f(Database, TRecordFileMode::ReadWrite, RecordSize);
    f.Seek(DatabaseRecords);
    f.Write(bytes.data(), DatabaseRecords);
    f.Close();
    state.PauseTiming();
    TrimDatabase();
    state.ResumeTiming();
  }
}

// A restore that finds nothing new: both scans and the UniqueId lookups alone.
void RestoreNothingNew(benchmark::State& state) {
  for (auto _ : state) RestoreDatabase(Database);
}

// The reads and writes of a restore without the merge: the database scanned,
// then the backup copied to its end in blocks of the scan's size.
void RestoreIoOnly(benchmark::State& state) {
  auto buf = std::make_unique<unsigned char[]>(40 * RecordSize);
  for (auto _ : state) {
    TRecordFile db(Database, TRecordFileMode::ReadWrite, RecordSize);
    db.Scan([](const unsigned char*, std::int64_t) { return true; });
    TRecordFile b(Backup, TRecordFileMode::ReadOnly, RecordSize);
    for (int i = 0; i < DatabaseRecords; i += 40) {
      b.Read(buf.get(), 40);
      db.Write(buf.get(), 40);
    }
    db.Close();
    state.PauseTiming();
    TrimDatabase();
    state.ResumeTiming();
  }
}

// The restore of a 10,000-record backup whose records are all new.
void Restore10000(benchmark::State& state) {
  for (auto _ : state) {
    RestoreDatabase(Backup);
    state.PauseTiming();
    TrimDatabase();
    state.ResumeTiming();
  }
}

BENCHMARK(Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(Append)->Unit(benchmark::kMillisecond);
BENCHMARK(UpdateLast)->Unit(benchmark::kMillisecond);
BENCHMARK(Backup10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BackupNew)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteAppended)->Unit(benchmark::kMillisecond);
BENCHMARK(RestoreNothingNew)->Unit(benchmark::kMillisecond);
BENCHMARK(RestoreIoOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(Restore10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zovi-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  Folder = pattern;
  Database = Folder + "/zovi.db";
  Backup = Folder + "/restore.dba";
  Copy = Folder + "/copy.dba";
  DatabaseFileName = Database;
  WriteRecords(Database, 'D');
  WriteRecords(Backup, 'B');

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Folder);
  return 0;
}

#include "worddoc.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <utility>

#include "compoundfile.h"
#include "recordfile.h"
#include "wholefile.h"

extern char** environ;

namespace {

constexpr char16_t ParagraphMark = u'\r';
constexpr char16_t LineBreak = u'\v';
constexpr char16_t CellMark = u'\a';
constexpr char16_t RowMark = u'\x1e';

[[noreturn]] void Fail(const QString& message) {
  throw std::runtime_error(message.toStdString());
}

// Paragraph, cell and row marks end a stretch of text; a line break does not.
bool IsMark(char16_t c) {
  return c == ParagraphMark || c == CellMark || c == RowMark;
}

// A text as the story's characters: its line breaks ("\r\n", "\r", "\n" and
// the line-break character itself) as the one line-break character, a TAB as
// it is, and every other control character dropped. Inserted text is text
// only: none of it ever becomes a paragraph, cell or row mark.
std::u16string StoryText(const QString& text) {
  std::u16string out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == u'\r' || c == u'\n' || c == LineBreak) {
      out += LineBreak;
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'\t' || c >= 0x20) {
      out += c;
    }
  }
  return out;
}

// ---- LibreOffice ---------------------------------------------------------

// The full name of an executable `name` on the PATH, or "" when there is none.
std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  const std::string dirs = path;
  std::size_t from = 0;
  while (from <= dirs.size()) {
    std::size_t to = dirs.find(':', from);
    if (to == std::string::npos) to = dirs.size();
    const std::string dir = to == from ? std::string(".") : dirs.substr(from, to - from);
    const std::string candidate = dir + "/" + name;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
    from = to + 1;
  }
  return {};
}

std::string FindSoffice() {
  std::string soffice = FindOnPath("soffice");
  if (soffice.empty())
    Fail(
        QStringLiteral("Export do dokumentu MS Word potřebuje kancelářský balík LibreOffice (program soffice), "
                       "který na tomto počítači není nainstalován."));
  return soffice;
}

// The watchdog of one conversion, in the child that fork() made: it leads a
// process group of its own, starts the program in it and waits. When the
// program ends, the watchdog ends the same way; when the process that started
// it ends, however it ends (killed included), the kernel tells the watchdog
// (a parent-death signal) and it kills the whole group, the program and
// whatever the program started (LibreOffice's launcher runs the office in a
// process of its own). Only async-signal-safe calls from here on: the parent
// may have had other threads.
[[noreturn]] void RunWatchdog(char* const argv[], const char* logName, pid_t parent, int errorFd) {
  sigset_t watched;
  sigemptyset(&watched);
  sigaddset(&watched, SIGTERM);
  sigaddset(&watched, SIGCHLD);
  sigprocmask(SIG_BLOCK, &watched, nullptr);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigaction(SIGCHLD, &byDefault, nullptr);
  setpgid(0, 0);
  // The parent may have ended before the signal was asked for: then nobody waits for the conversion.
  if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) _exit(126);

  const pid_t program = _Fork();
  if (program == 0) {
    for (const int reset : {SIGPIPE, SIGTERM, SIGINT}) sigaction(reset, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(logName, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in >= 0 && out >= 0 && dup2(in, 0) == 0 && dup2(out, 1) == 1 && dup2(out, 2) == 2) {
      if (in > 2) close(in);
      if (out > 2) close(out);
      execve(argv[0], argv, environ);
    }
    const int error = errno;
    (void)!write(errorFd, &error, sizeof error);
    _exit(127);
  }
  close(errorFd);
  if (program < 0) _exit(126);
  for (;;) {
    const int caught = sigwaitinfo(&watched, nullptr);
    if (caught == SIGTERM) {
      kill(0, SIGKILL);  // the group, the watchdog included
      _exit(126);
    }
    int status = 0;
    if (caught != SIGCHLD || waitpid(program, &status, WNOHANG) != program) continue;
    if (WIFEXITED(status)) _exit(WEXITSTATUS(status));
    // Killed by a signal: the watchdog dies of the same one, so the caller sees how the program ended.
    const int killer = WTERMSIG(status);
    sigaction(killer, &byDefault, nullptr);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, killer);
    sigprocmask(SIG_UNBLOCK, &one, nullptr);
    kill(getpid(), killer);
    _exit(128 + killer);
  }
}

[[noreturn]] void CannotStart(int error) {
  Fail(QStringLiteral("LibreOffice nelze spustit: %1.").arg(QString::fromLocal8Bit(std::strerror(error))));
}

// Runs `args` under a watchdog (RunWatchdog) with standard output and errors
// going to `logName`, and waits for it at most `timeoutMs`. Whatever way it
// ends, every process left in its group is killed before this returns; when
// this process ends first, the watchdog kills them. Returns the wait status;
// throws when the program could not start or ran too long.
int RunProcessGroup(const std::vector<std::string>& args, const std::string& logName, int timeoutMs) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The program's start error, if any, comes back through this pipe; a started program closes it unwritten.
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) CannotStart(errno);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    close(errorPipe[0]);
    RunWatchdog(argv.data(), logName.c_str(), parent, errorPipe[1]);
  }
  const int forkError = errno;
  if (pid > 0) setpgid(pid, pid);  // as the watchdog does, so the group is there whichever runs first
  close(errorPipe[1]);
  int startError = 0;
  if (pid > 0) {
    ssize_t got;
    while ((got = read(errorPipe[0], &startError, sizeof startError)) < 0 && errno == EINTR) {
    }
    if (got != static_cast<ssize_t>(sizeof startError)) startError = 0;
  }
  close(errorPipe[0]);
  if (pid < 0) CannotStart(forkError);

  // The group leader is waited for without being reaped, so its number (the
  // group's) cannot pass to another process before the group is killed.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool timedOut = false;
  for (;;) {
    siginfo_t info{};
    const int waited = waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    if ((waited == 0 && info.si_pid == pid) || (waited < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(-pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (startError != 0) CannotStart(startError);
  if (timedOut)
    Fail(QStringLiteral("LibreOffice nedokončil převod dokumentu do %1 sekund a byl ukončen.").arg(timeoutMs / 1000.0));
  return status;
}

// The non-empty lines of LibreOffice's output, trimmed.
QList<QByteArray> LogLines(const QString& logName) {
  QFile log(logName);
  QList<QByteArray> lines;
  if (!log.open(QIODevice::ReadOnly)) return lines;
  for (const QByteArray& line : log.readAll().split('\n'))
    if (QByteArray trimmed = line.trimmed(); !trimmed.isEmpty()) lines.push_back(std::move(trimmed));
  return lines;
}

// The largest file taken as the converted report: the report's Word document
// has a few dozen kilobytes, ten megabytes is far beyond anything it could be.
constexpr std::int64_t MaxConvertedBytes = 10 << 20;

// Reads the file that the converter left into `bytes`, or says why it is not
// taken. Only a plain file of a sane size is read, opened without waiting:
// a pipe left there would block the program for ever, a link to a device
// (the zero device) would be read until memory runs out.
QString ReadConvertedFile(const QString& name, QByteArray& bytes) {
  const std::string fileName = QFile::encodeName(name).toStdString();
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) return QStringLiteral("nevznikl žádný soubor");
  if (!S_ISREG(st.st_mode)) return QStringLiteral("vytvořený soubor není obyčejný soubor");
  try {
    // The record file takes a plain file only and asks its size of the file it opened.
    TRecordFile file(fileName, TRecordFileMode::ReadOnly, 1);
    const std::int64_t size = file.RecordCount();
    if (size >= MaxConvertedBytes) return QStringLiteral("vytvořený soubor je příliš velký (%1 bajtů)").arg(size);
    bytes.resize(static_cast<qsizetype>(size));
    file.Read(bytes.data(), static_cast<std::size_t>(size));
    file.Close();
  } catch (const EInOutError& error) {
    return QStringLiteral("vytvořený soubor nelze přečíst: %1").arg(QString::fromUtf8(error.what()));
  }
  return {};
}

// The bytes of `fodt` converted by LibreOffice to a Word 97 document.
QByteArray ConvertToWord97(const std::string& fodt, int timeoutMs) {
  const std::string soffice = FindSoffice();
  // A private profile: LibreOffice then neither joins a running instance nor touches the user's settings.
  QTemporaryDir work;
  if (!work.isValid())
    Fail(QStringLiteral("Pro převod dokumentu nelze vytvořit dočasnou složku: %1.").arg(work.errorString()));
  const QString input = work.filePath(QStringLiteral("report.fodt"));
  {
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(fodt.data(), static_cast<qint64>(fodt.size())) != static_cast<qint64>(fodt.size()) || !file.flush())
      Fail(QStringLiteral("Pro převod dokumentu nelze zapsat dočasný soubor: %1.").arg(file.errorString()));
  }
  const QString outDir = work.filePath(QStringLiteral("out"));
  const QString logName = work.filePath(QStringLiteral("soffice.log"));
  const std::vector<std::string> args = {
      soffice,
      "-env:UserInstallation=" +
          QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toEncoded().toStdString(),
      "--headless",
      "--norestore",
      "--nolockcheck",
      "--convert-to",
      "doc:MS Word 97",
      "--outdir",
      QFile::encodeName(outDir).toStdString(),
      QFile::encodeName(input).toStdString()};
  const int status = RunProcessGroup(args, QFile::encodeName(logName).toStdString(), timeoutMs);

  // Only a whole Word 97 file from a run that reported no error is taken: on
  // a full disk LibreOffice says so, ends with 0 and leaves part of a file.
  const QList<QByteArray> log = LogLines(logName);
  const auto reported =
      std::find_if(log.begin(), log.end(), [](const QByteArray& line) { return line.startsWith("Error"); });
  QByteArray bytes;
  QString cause;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    cause = WIFEXITED(status) ? QStringLiteral("kód ukončení %1").arg(WEXITSTATUS(status))
                              : QStringLiteral("ukončen signálem %1").arg(WTERMSIG(status));
    if (!log.isEmpty()) cause += QStringLiteral(": ") + QString::fromLocal8Bit(log.back());
  } else if (reported != log.end()) {
    cause = QString::fromLocal8Bit(*reported);
  } else if (cause = ReadConvertedFile(outDir + QStringLiteral("/report.doc"), bytes); cause.isEmpty()) {
    const std::string fault = Word97Fault(std::string_view(bytes.constData(), bytes.size()));
    if (!fault.empty())
      cause = QStringLiteral("vytvořený soubor není úplný dokument MS Word 97: ") + QString::fromStdString(fault);
  }
  if (!cause.isEmpty()) Fail(QStringLiteral("LibreOffice dokument do formátu MS Word nepřevedl (%1).").arg(cause));
  return bytes;
}

QString InOutCause(const EInOutError& error) {
  switch (error.ErrorCode) {
    case 2:
      return QStringLiteral("složka nebo soubor neexistuje");
    case 3:
      return QStringLiteral("neplatný název souboru");
    case 4:
      return QStringLiteral("příliš mnoho otevřených souborů");
    case 5:
      return QStringLiteral("přístup odepřen");
    case 101:
      return QStringLiteral("disk je plný");
    default:
      return QStringLiteral("chyba vstupu/výstupu %1").arg(error.ErrorCode);
  }
}

}  // namespace

// ---- Application and documents -------------------------------------------

TWordApplication::TWordApplication() {
  FindSoffice();
}

TWordDocument& TWordDocuments::Add() {
  documents_.push_back(std::make_unique<TWordDocument>(application_));
  return *documents_.back();
}

int TWordDocuments::Count() const {
  return static_cast<int>(std::count_if(documents_.begin(), documents_.end(),
                                        [](const std::unique_ptr<TWordDocument>& d) { return !d->closed_; }));
}

TWordDocument::TWordDocument(const TWordApplication* application) : application_(application) {
  story_.push_back({ParagraphMark, TWordFont{}, 0});
}

void TWordDocument::CheckOpen() const {
  if (closed_) Fail(QStringLiteral("Dokument je již zavřený."));
}

void TWordDocument::CheckRange(int start, int end) const {
  CheckOpen();
  if (start < 0 || end < start || end > static_cast<int>(story_.size()))
    Fail(QStringLiteral("Rozsah %1 až %2 leží mimo dokument o %3 znacích.").arg(start).arg(end).arg(story_.size()));
}

TWordRange TWordDocument::Range() {
  return Range(0, static_cast<int>(story_.size()));
}

TWordRange TWordDocument::Range(int start) {
  return Range(start, static_cast<int>(story_.size()));
}

TWordRange TWordDocument::Range(int start, int end) {
  CheckRange(start, end);
  return TWordRange(this, start, end);
}

void TWordDocument::Insert(int position, const QString& text, const TWordFont& font, int table) {
  const std::u16string chars = StoryText(text);
  std::vector<TCharacter> inserted;
  inserted.reserve(chars.size());
  for (char16_t c : chars) inserted.push_back({c, font, table});
  story_.insert(story_.begin() + position, inserted.begin(), inserted.end());
}

const TWordFont& TWordDocument::InheritedFont(int position) const {
  if (position > 0 && !IsMark(story_[position - 1].Char)) return story_[position - 1].Font;
  return story_[std::min<std::size_t>(position, story_.size() - 1)].Font;
}

int TWordDocument::TableStart(int id) const {
  for (std::size_t i = 0; i < story_.size(); ++i)
    if (story_[i].Table == id) return static_cast<int>(i);
  Fail(QStringLiteral("Tabulka v dokumentu již není."));
}

const TWordDocument::TTable& TWordDocument::TableOf(int id) const {
  for (const TTable& t : tables_)
    if (t.Id == id) return t;
  Fail(QStringLiteral("Tabulka v dokumentu již není."));
}

void TWordDocument::Close() {
  CheckOpen();
  closed_ = true;
  story_.clear();
  tables_.clear();
}

void TWordDocument::SaveAs(const std::string& fileName, int fileFormat) {
  CheckOpen();
  if (fileFormat != wdFormatDocument)
    Fail(QStringLiteral("Formát souboru %1 není podporován, dokument lze uložit jen ve formátu MS Word 97.")
             .arg(fileFormat));
  const int timeoutMs = application_ ? application_->ConversionTimeoutMs : TWordApplication::DefaultConversionTimeoutMs;
  const std::string fodt = FlatOpenDocument();
  try {
    WriteFileWhole(fileName, [&](const std::string& temporaryName) {
      const QByteArray bytes = ConvertToWord97(fodt, timeoutMs);
      TRecordFile file(temporaryName, TRecordFileMode::Create, 1);
      file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
      file.Close();
    });
  } catch (const EInOutError& error) {
    Fail(QStringLiteral("Dokument nelze uložit do souboru \"%1\": %2.")
             .arg(QFile::decodeName(fileName.c_str()), InOutCause(error)));
  }
}

// ---- Ranges --------------------------------------------------------------

QString TWordRange::Text() const {
  document_->CheckRange(start_, end_);
  QString text;
  for (int i = start_; i < end_; ++i) text += QChar(document_->story_[i].Char);
  return text;
}

void TWordRange::SetText(const QString& text) {
  document_->CheckRange(start_, end_);
  auto& story = document_->story_;
  const int last = static_cast<int>(story.size()) - 1;
  for (int i = start_; i < end_; ++i)
    if (story[i].Char == CellMark || story[i].Char == RowMark)
      Fail(QStringLiteral("Text přes hranice buněk tabulky nelze nahradit."));
  // The replaced text's first character gives the new text its font.
  const TWordFont font = start_ < end_ ? story[start_].Font : document_->InheritedFont(start_);
  const int position = std::min(start_, last);
  const int removeEnd = std::min(end_, last);
  if (position < removeEnd) story.erase(story.begin() + position, story.begin() + removeEnd);
  const int table = story[position].Table;
  const int before = static_cast<int>(story.size());
  document_->Insert(position, text, font, table);
  start_ = position;
  end_ = position + static_cast<int>(story.size()) - before;
}

void TWordRange::InsertParagraphAfter() {
  document_->CheckRange(start_, end_);
  auto& story = document_->story_;
  int position = end_;
  if (position > 0 && story[position - 1].Char == CellMark) --position;
  int table;
  if (position > 0 && story[position - 1].Char == RowMark) {
    table = 0;
    if (position < static_cast<int>(story.size()) && story[position].Table == story[position - 1].Table)
      Fail(QStringLiteral("Mezi řádky tabulky nelze vložit odstavec."));
  } else if (position > 0 && story[position - 1].Char == ParagraphMark) {
    table = story[position - 1].Table;
  } else {
    table = story[position].Table;
  }
  const TWordFont font = story[position > 0 ? position - 1 : 0].Font;
  story.insert(story.begin() + position, TWordDocument::TCharacter{ParagraphMark, font, table});
  end_ = std::max(end_, position) + 1;
}

void TWordRange::InsertAfter(const QString& text) {
  document_->CheckRange(start_, end_);
  auto& story = document_->story_;
  int position = end_;
  if (position == static_cast<int>(story.size()) || (position > 0 && story[position - 1].Char == CellMark)) --position;
  const int before = static_cast<int>(story.size());
  document_->Insert(position, text, document_->InheritedFont(position), story[position].Table);
  end_ += static_cast<int>(story.size()) - before;
}

// ---- Fonts ---------------------------------------------------------------

template <class T, class Get>
T TWordRangeFont::Common(Get get, T mixed) const {
  document_->CheckRange(start_, end_);
  if (start_ == end_) return get(document_->InheritedFont(start_));
  const T first = get(document_->story_[start_].Font);
  for (int i = start_ + 1; i < end_; ++i)
    if (get(document_->story_[i].Font) != first) return mixed;
  return first;
}

QString TWordRangeFont::Name() const {
  return Common<QString>([](const TWordFont& f) { return f.Name; }, QString());
}

float TWordRangeFont::Size() const {
  return Common<float>([](const TWordFont& f) { return f.Size; }, float(wdUndefined));
}

int TWordRangeFont::Bold() const {
  return Common<int>([](const TWordFont& f) { return f.Bold ? 1 : 0; }, wdUndefined);
}

void TWordRangeFont::SetName(const QString& name) {
  document_->CheckRange(start_, end_);
  for (int i = start_; i < end_; ++i) document_->story_[i].Font.Name = name;
}

void TWordRangeFont::SetSize(float points) {
  document_->CheckRange(start_, end_);
  if (!(points >= 1 && points <= 1638))
    Fail(QStringLiteral("Velikost písma %1 bodů je mimo rozsah 1 až 1638.").arg(double(points)));
  for (int i = start_; i < end_; ++i) document_->story_[i].Font.Size = points;
}

void TWordRangeFont::SetBold(int bold) {
  document_->CheckRange(start_, end_);
  for (int i = start_; i < end_; ++i) document_->story_[i].Font.Bold = bold != 0;
}

// ---- Paragraphs, characters, tables --------------------------------------

int TWordParagraphs::Count() const {
  document_->CheckOpen();
  return static_cast<int>(std::count_if(document_->story_.begin(), document_->story_.end(),
                                        [](const auto& c) { return c.Char == ParagraphMark || c.Char == CellMark; }));
}

TWordParagraph TWordParagraphs::Item(int index) const {
  document_->CheckOpen();
  const auto& story = document_->story_;
  int start = 0, count = 0;
  for (int i = 0; i < static_cast<int>(story.size()); ++i) {
    const char16_t c = story[i].Char;
    if ((c == ParagraphMark || c == CellMark) && ++count == index) return TWordParagraph({document_, start, i + 1});
    if (IsMark(c)) start = i + 1;
  }
  Fail(QStringLiteral("Odstavec %1 v dokumentu není.").arg(index));
}

TWordParagraph TWordParagraphs::Last() const {
  document_->CheckOpen();
  const auto& story = document_->story_;
  int start = static_cast<int>(story.size()) - 1;
  while (start > 0 && !IsMark(story[start - 1].Char)) --start;
  return TWordParagraph({document_, start, static_cast<int>(story.size())});
}

int TWordCharacters::Count() const {
  document_->CheckOpen();
  return static_cast<int>(document_->story_.size());
}

int TWordTables::Count() const {
  document_->CheckOpen();
  return static_cast<int>(document_->tables_.size());
}

TWordTable TWordTables::Item(int index) const {
  document_->CheckOpen();
  std::vector<std::pair<int, int>> order;  // start, id
  for (const auto& t : document_->tables_) order.emplace_back(document_->TableStart(t.Id), t.Id);
  std::sort(order.begin(), order.end());
  if (index < 1 || index > static_cast<int>(order.size()))
    Fail(QStringLiteral("Tabulka %1 v dokumentu není.").arg(index));
  return TWordTable(document_, order[index - 1].second);
}

TWordTable TWordTables::Add(const TWordRange& range, int rows, int columns) {
  document_->CheckRange(range.Start(), range.End());
  if (rows < 1 || rows > 32767 || columns < 1 || columns > 63)
    Fail(QStringLiteral("Tabulka o %1 řádcích a %2 sloupcích není možná.").arg(rows).arg(columns));
  TWordRange cleared = range;
  if (range.Start() < range.End()) cleared.SetText(QString());
  auto& story = document_->story_;
  int position = cleared.Start();
  if (story[position].Table != 0) Fail(QStringLiteral("Tabulku nelze vložit do tabulky."));
  if (position > 0 && !IsMark(story[position - 1].Char)) {
    // Within a paragraph: the table splits it, the first part keeping the paragraph's mark font.
    int mark = position;
    while (story[mark].Char != ParagraphMark) ++mark;
    story.insert(story.begin() + position, TWordDocument::TCharacter{ParagraphMark, story[mark].Font, 0});
    ++position;
  }
  const int id = document_->nextTable_++;
  const TWordFont font = story[position].Font;
  std::vector<TWordDocument::TCharacter> marks;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) marks.push_back({CellMark, font, id});
    marks.push_back({RowMark, font, id});
  }
  story.insert(story.begin() + position, marks.begin(), marks.end());
  document_->tables_.push_back({id, rows, columns});
  return TWordTable(document_, id);
}

int TWordTable::RowCount() const {
  document_->CheckOpen();
  return document_->TableOf(id_).Rows;
}

int TWordTable::ColumnCount() const {
  document_->CheckOpen();
  return document_->TableOf(id_).Columns;
}

TWordCell TWordTable::Cell(int row, int column) const {
  document_->CheckOpen();
  const auto& table = document_->TableOf(id_);
  if (row < 1 || row > table.Rows || column < 1 || column > table.Columns)
    Fail(QStringLiteral("Buňka %1, %2 v tabulce o %3 x %4 buňkách není.")
             .arg(row)
             .arg(column)
             .arg(table.Rows)
             .arg(table.Columns));
  const int wanted = (row - 1) * (table.Columns + 1) + (column - 1);
  const auto& story = document_->story_;
  int start = document_->TableStart(id_), marks = 0;
  for (int i = start; i < static_cast<int>(story.size()); ++i) {
    if (story[i].Table != id_ || (story[i].Char != CellMark && story[i].Char != RowMark)) continue;
    if (marks++ == wanted) return TWordCell({document_, start, i + 1});
    start = i + 1;
  }
  Fail(QStringLiteral("Tabulka v dokumentu již není celá."));
}

// ---- OpenDocument --------------------------------------------------------

namespace {

constexpr auto OfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr auto StyleNs = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr auto TextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr auto TableNs = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr auto FoNs = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr auto SvgNs = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";

// The distinct fonts of one use (paragraph marks or text), each with its style name.
class TFontStyles {
 public:
  explicit TFontStyles(QString prefix) : prefix_(std::move(prefix)) {}
  void Add(const TWordFont& font) {
    if (std::find(fonts_.begin(), fonts_.end(), font) == fonts_.end()) fonts_.push_back(font);
  }
  QString Name(const TWordFont& font) const {
    return prefix_ + QString::number(std::find(fonts_.begin(), fonts_.end(), font) - fonts_.begin() + 1);
  }
  const std::vector<TWordFont>& Fonts() const { return fonts_; }

 private:
  QString prefix_;
  std::vector<TWordFont> fonts_;
};

void WriteTextProperties(QXmlStreamWriter& xml, const TWordFont& font) {
  xml.writeEmptyElement(StyleNs, QStringLiteral("text-properties"));
  xml.writeAttribute(StyleNs, QStringLiteral("font-name"), font.Name);
  xml.writeAttribute(FoNs, QStringLiteral("font-size"), QString::number(double(font.Size)) + QStringLiteral("pt"));
  xml.writeAttribute(FoNs, QStringLiteral("font-weight"),
                     font.Bold ? QStringLiteral("bold") : QStringLiteral("normal"));
}

void WriteStyles(QXmlStreamWriter& xml, const TFontStyles& styles, const QString& family) {
  for (const TWordFont& font : styles.Fonts()) {
    xml.writeStartElement(StyleNs, QStringLiteral("style"));
    xml.writeAttribute(StyleNs, QStringLiteral("name"), styles.Name(font));
    xml.writeAttribute(StyleNs, QStringLiteral("family"), family);
    WriteTextProperties(xml, font);
    xml.writeEndElement();
  }
}

bool IsXmlChar(char16_t c) {
  return c == u'\t' || (c >= 0x20 && c < 0xD800) || (c >= 0xE000 && c < 0xFFFE);
}

// One paragraph's characters [from, to) followed by its mark `mark`: the
// paragraph takes the mark's font, runs of other fonts become spans. Blanks
// that XML would fold (at either end, or after another blank) are written as
// ODF's explicit blanks.
template <class Story>
void WriteParagraph(QXmlStreamWriter& xml, const Story& story, int from, int to, const TFontStyles& paragraphs,
                    const TFontStyles& texts) {
  const TWordFont& markFont = story[to].Font;
  xml.writeStartElement(TextNs, QStringLiteral("p"));
  xml.writeAttribute(TextNs, QStringLiteral("style-name"), paragraphs.Name(markFont));
  const TWordFont* runFont = nullptr;
  QString pending;
  auto flush = [&] {
    if (!pending.isEmpty()) xml.writeCharacters(pending);
    pending.clear();
  };
  for (int i = from; i < to; ++i) {
    const auto& ch = story[i];
    if (runFont == nullptr || !(ch.Font == *runFont)) {
      flush();
      if (runFont != nullptr && !(*runFont == markFont)) xml.writeEndElement();
      runFont = &ch.Font;
      if (!(ch.Font == markFont)) {
        xml.writeStartElement(TextNs, QStringLiteral("span"));
        xml.writeAttribute(TextNs, QStringLiteral("style-name"), texts.Name(ch.Font));
      }
    }
    const char16_t c = ch.Char;
    if (c == LineBreak || c == u'\t') {
      flush();
      xml.writeEmptyElement(TextNs, c == LineBreak ? QStringLiteral("line-break") : QStringLiteral("tab"));
    } else if (c == u' ') {
      const bool folded = i == from || i + 1 == to || story[i - 1].Char == u' ' || story[i - 1].Char == LineBreak ||
                          story[i - 1].Char == u'\t' || story[i + 1].Char == LineBreak;
      if (folded) {
        flush();
        xml.writeEmptyElement(TextNs, QStringLiteral("s"));
      } else {
        pending += QChar(c);
      }
    } else if (QChar::isHighSurrogate(c) && i + 1 < to && QChar::isLowSurrogate(story[i + 1].Char)) {
      pending += QChar(c);
      pending += QChar(story[++i].Char);
    } else if (IsXmlChar(c) && !QChar::isSurrogate(c)) {
      pending += QChar(c);
    }
  }
  flush();
  if (runFont != nullptr && !(*runFont == markFont)) xml.writeEndElement();
  xml.writeEndElement();
}

}  // namespace

std::string TWordDocument::FlatOpenDocument() const {
  CheckOpen();
  TFontStyles paragraphStyles(QStringLiteral("P")), textStyles(QStringLiteral("T"));
  std::vector<QString> fontNames;
  for (const TCharacter& c : story_) {
    (IsMark(c.Char) ? paragraphStyles : textStyles).Add(c.Font);
    if (std::find(fontNames.begin(), fontNames.end(), c.Font.Name) == fontNames.end()) fontNames.push_back(c.Font.Name);
  }

  QByteArray out;
  QXmlStreamWriter xml(&out);
  xml.writeStartDocument();
  xml.writeNamespace(OfficeNs, QStringLiteral("office"));
  xml.writeNamespace(StyleNs, QStringLiteral("style"));
  xml.writeNamespace(TextNs, QStringLiteral("text"));
  xml.writeNamespace(TableNs, QStringLiteral("table"));
  xml.writeNamespace(FoNs, QStringLiteral("fo"));
  xml.writeNamespace(SvgNs, QStringLiteral("svg"));
  xml.writeStartElement(OfficeNs, QStringLiteral("document"));
  xml.writeAttribute(OfficeNs, QStringLiteral("version"), QStringLiteral("1.2"));
  xml.writeAttribute(OfficeNs, QStringLiteral("mimetype"), QStringLiteral("application/vnd.oasis.opendocument.text"));

  xml.writeStartElement(OfficeNs, QStringLiteral("font-face-decls"));
  for (const QString& name : fontNames) {
    xml.writeEmptyElement(StyleNs, QStringLiteral("font-face"));
    xml.writeAttribute(StyleNs, QStringLiteral("name"), name);
    xml.writeAttribute(SvgNs, QStringLiteral("font-family"), QLatin1Char('\'') + name + QLatin1Char('\''));
  }
  xml.writeEndElement();

  // Czech text on A4 with the margins of a typical letter; paragraphs without spacing.
  xml.writeStartElement(OfficeNs, QStringLiteral("styles"));
  xml.writeStartElement(StyleNs, QStringLiteral("default-style"));
  xml.writeAttribute(StyleNs, QStringLiteral("family"), QStringLiteral("paragraph"));
  xml.writeEmptyElement(StyleNs, QStringLiteral("paragraph-properties"));
  xml.writeAttribute(FoNs, QStringLiteral("margin-top"), QStringLiteral("0cm"));
  xml.writeAttribute(FoNs, QStringLiteral("margin-bottom"), QStringLiteral("0cm"));
  xml.writeEmptyElement(StyleNs, QStringLiteral("text-properties"));
  xml.writeAttribute(FoNs, QStringLiteral("language"), QStringLiteral("cs"));
  xml.writeAttribute(FoNs, QStringLiteral("country"), QStringLiteral("CZ"));
  xml.writeEndElement();
  xml.writeEndElement();

  xml.writeStartElement(OfficeNs, QStringLiteral("automatic-styles"));
  xml.writeStartElement(StyleNs, QStringLiteral("page-layout"));
  xml.writeAttribute(StyleNs, QStringLiteral("name"), QStringLiteral("A4"));
  xml.writeEmptyElement(StyleNs, QStringLiteral("page-layout-properties"));
  xml.writeAttribute(FoNs, QStringLiteral("page-width"), QStringLiteral("21cm"));
  xml.writeAttribute(FoNs, QStringLiteral("page-height"), QStringLiteral("29.7cm"));
  for (const char* side : {"margin-top", "margin-bottom", "margin-left", "margin-right"})
    xml.writeAttribute(FoNs, QString::fromLatin1(side), QStringLiteral("2.5cm"));
  xml.writeEndElement();
  WriteStyles(xml, paragraphStyles, QStringLiteral("paragraph"));
  WriteStyles(xml, textStyles, QStringLiteral("text"));
  xml.writeStartElement(StyleNs, QStringLiteral("style"));
  xml.writeAttribute(StyleNs, QStringLiteral("name"), QStringLiteral("Table"));
  xml.writeAttribute(StyleNs, QStringLiteral("family"), QStringLiteral("table"));
  xml.writeEmptyElement(StyleNs, QStringLiteral("table-properties"));
  xml.writeAttribute(StyleNs, QStringLiteral("width"), QStringLiteral("16cm"));
  xml.writeAttribute(TableNs, QStringLiteral("align"), QStringLiteral("margins"));
  xml.writeEndElement();
  xml.writeStartElement(StyleNs, QStringLiteral("style"));
  xml.writeAttribute(StyleNs, QStringLiteral("name"), QStringLiteral("Cell"));
  xml.writeAttribute(StyleNs, QStringLiteral("family"), QStringLiteral("table-cell"));
  xml.writeEmptyElement(StyleNs, QStringLiteral("table-cell-properties"));
  xml.writeAttribute(FoNs, QStringLiteral("padding"), QStringLiteral("0.1cm"));
  xml.writeAttribute(FoNs, QStringLiteral("border"), QStringLiteral("0.5pt solid #000000"));
  xml.writeEndElement();
  xml.writeEndElement();

  xml.writeStartElement(OfficeNs, QStringLiteral("master-styles"));
  xml.writeEmptyElement(StyleNs, QStringLiteral("master-page"));
  xml.writeAttribute(StyleNs, QStringLiteral("name"), QStringLiteral("Standard"));
  xml.writeAttribute(StyleNs, QStringLiteral("page-layout-name"), QStringLiteral("A4"));
  xml.writeEndElement();

  xml.writeStartElement(OfficeNs, QStringLiteral("body"));
  xml.writeStartElement(OfficeNs, QStringLiteral("text"));
  int table = 0;
  int from = 0;
  for (int i = 0; i < static_cast<int>(story_.size()); ++i) {
    const TCharacter& c = story_[i];
    if (c.Table != table) {
      if (table != 0) xml.writeEndElement();  // table
      table = c.Table;
      if (table != 0) {
        xml.writeStartElement(TableNs, QStringLiteral("table"));
        xml.writeAttribute(TableNs, QStringLiteral("name"), QStringLiteral("Tabulka%1").arg(table));
        xml.writeAttribute(TableNs, QStringLiteral("style-name"), QStringLiteral("Table"));
        xml.writeEmptyElement(TableNs, QStringLiteral("table-column"));
        xml.writeAttribute(TableNs, QStringLiteral("number-columns-repeated"), QString::number(TableOf(table).Columns));
      }
    }
    if (table != 0 && (i == from || IsMark(story_[i - 1].Char))) {
      // The first character of a cell opens it (and its row at the row's start).
      const bool rowStart = i == TableStart(table) || story_[i - 1].Char == RowMark;
      const bool cellStart = rowStart || story_[i - 1].Char == CellMark;
      if (rowStart && c.Char != RowMark) xml.writeStartElement(TableNs, QStringLiteral("table-row"));
      if (cellStart && c.Char != RowMark) {
        xml.writeStartElement(TableNs, QStringLiteral("table-cell"));
        xml.writeAttribute(TableNs, QStringLiteral("style-name"), QStringLiteral("Cell"));
        xml.writeAttribute(OfficeNs, QStringLiteral("value-type"), QStringLiteral("string"));
      }
    }
    if (c.Char == ParagraphMark || c.Char == CellMark) {
      WriteParagraph(xml, story_, from, i, paragraphStyles, textStyles);
      if (c.Char == CellMark) xml.writeEndElement();  // table-cell
    } else if (c.Char == RowMark) {
      xml.writeEndElement();  // table-row
    }
    if (IsMark(c.Char)) from = i + 1;
  }
  if (table != 0) xml.writeEndElement();
  xml.writeEndElement();  // text
  xml.writeEndElement();  // body
  xml.writeEndElement();  // document
  xml.writeEndDocument();
  return out.toStdString();
}

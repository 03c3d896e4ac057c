#include "notes.h"

#include <QSignalBlocker>
#include <QTextBlock>
#include <cstring>
#include <stdexcept>

#include "commatext.h"
#include "cp1250.h"
#include "textcodec.h"

namespace {

constexpr std::size_t NotesCapacity = sizeof(TResultRecord::Notes) - 1;

// A memo's lines: its text split at line breaks; an empty memo has none, and
// a final line break adds no empty line.
QStringList MemoLines(const QString& text) {
  if (text.isEmpty()) return {};
  QStringList lines = text.split(QLatin1Char('\n'));
  if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

// The memo's lines in code page 1250, without NUL characters (a paste can
// bring one): the stored notes end at their first NUL, so everything after it
// would be lost. Other control characters are kept in the comma text's quotes
// and dropped only where the notes are shown (PlainText).
TStringArray Cp1250Lines(const QString& text) {
  TStringArray lines;
  for (QString line : MemoLines(text)) lines.push_back(ToCp1250(line.remove(QChar(u'\0'))));
  return lines;
}

}  // namespace

void LoadNotes(QPlainTextEdit& memo, const TResultRecord& record) {
  QStringList lines;
  for (const std::string& line : SplitCommaText(RecordNotesText(record))) lines << FromCp1250(PlainText(line));
  const QSignalBlocker blocker(memo);
  memo.setPlainText(lines.join(QLatin1Char('\n')));
  memo.setProperty("zoviNotesGood", memo.toPlainText());
}

TStringArray NoteLinesOf(const QPlainTextEdit& memo) {
  TStringArray lines = Cp1250Lines(memo.toPlainText());
  for (std::string& line : lines) line = PlainText(line);
  return lines;
}

void StoreNotes(const QPlainTextEdit& memo, TResultRecord& record) {
  const std::string text = JoinCommaText(Cp1250Lines(memo.toPlainText()));
  if (text.size() > NotesCapacity) throw std::length_error("Poznámky jsou delší, než kolik lze uložit.");
  std::memset(record.Notes, 0, sizeof record.Notes);
  std::memcpy(record.Notes, text.data(), text.size());
}

void LimitNotes(QPlainTextEdit& memo, int maxChars) {
  memo.setProperty("zoviNotesGood", memo.toPlainText());
  QObject::connect(&memo, &QPlainTextEdit::textChanged, &memo, [&memo, maxChars] {
    const QString text = memo.toPlainText();
    if (text.size() <= maxChars && JoinCommaText(Cp1250Lines(text)).size() <= NotesCapacity) {
      memo.setProperty("zoviNotesGood", text);
      return;
    }
    // Too long: back to the last text that fitted, the cursor where the edit began.
    const QString good = memo.property("zoviNotesGood").toString();
    const int position = std::min<int>(memo.textCursor().position() - (text.size() - good.size()), good.size());
    const QSignalBlocker blocker(memo);
    memo.setPlainText(good);
    QTextCursor cursor = memo.textCursor();
    cursor.setPosition(std::max(0, position));
    memo.setTextCursor(cursor);
  });
}

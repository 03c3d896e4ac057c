#pragma once
// The word processor that the Word export drives: a small document model
// with Word's automation names and Word's paragraph semantics, saved as a
// real Word 97 document through LibreOffice.
//
// The document's story is a sequence of characters, each with its font.
// Every paragraph ends with a paragraph mark, which is a character of its
// own and carries a font too; a new document holds one empty paragraph, so
// Characters().Count() is 1. The document always ends with a paragraph mark
// that cannot be deleted. A line break inside a text ("\r\n", "\r" or "\n")
// stays inside its paragraph as one line-break character; every other control
// character of an inserted text but the TAB is dropped, so text never becomes
// a paragraph, cell or row mark.
//
// A table stands before a paragraph. Each cell ends with an end-of-cell mark
// and each row with an end-of-row mark; both count as characters, so an empty
// table of r rows and c columns adds r * (c + 1) characters. A cell's range
// includes its end-of-cell mark.
//
// Text that is inserted takes the font of the character before it in the
// same paragraph or cell, or, at the paragraph's start, the font of the
// character it is inserted before. A range is a pair of positions: it sees a
// change made through another range only as the positions say.
//
// A failure throws std::runtime_error with a Czech message that names the cause.
#include <QString>
#include <memory>
#include <string>
#include <vector>

class TWordApplication;
class TWordDocument;

// The font of one character.
struct TWordFont {
  QString Name = QStringLiteral("Times New Roman");
  float Size = 12;
  bool Bold = false;
  bool operator==(const TWordFont&) const = default;
};

// Word's value of a font property that differs within a range.
inline constexpr int wdUndefined = 9999999;

// The fonts of a range's characters: setting changes every character of the
// range; reading gives the common value, or "" / wdUndefined when they differ.
class TWordRangeFont {
 public:
  TWordRangeFont(TWordDocument* document, int start, int end) : document_(document), start_(start), end_(end) {}
  QString Name() const;
  float Size() const;
  int Bold() const;  // 1, 0 or wdUndefined
  void SetName(const QString& name);
  void SetSize(float points);
  void SetBold(int bold);  // nonzero: bold

 private:
  // The value `get` gives for every character, or `mixed`; an empty range has
  // the font that text inserted there would take.
  template <class T, class Get>
  T Common(Get get, T mixed) const;

  TWordDocument* document_;
  int start_, end_;
};

// A stretch of the document from character position Start up to End.
class TWordRange {
 public:
  TWordRange(TWordDocument* document, int start, int end) : document_(document), start_(start), end_(end) {}
  int Start() const { return start_; }
  int End() const { return end_; }
  // The characters as they stand: "\r" paragraph mark, "\v" line break,
  // "\a" end-of-cell mark, "\x1e" end-of-row mark.
  QString Text() const;
  // Replaces the range's text; the range then covers the new text. Paragraph
  // marks within the range go, except the document's last one; a range that
  // holds table marks cannot be replaced.
  void SetText(const QString& text);
  TWordRangeFont Font() const { return TWordRangeFont(document_, start_, end_); }
  // A new empty paragraph after the range (which then ends with the new
  // paragraph mark). The new mark takes the font of the range's last character.
  void InsertParagraphAfter();
  // Appends text to the range, which grows to hold it. At the end of a cell
  // or of the document the text goes before the closing mark.
  void InsertAfter(const QString& text);

 private:
  TWordDocument* document_;
  int start_, end_;
};

class TWordParagraph {
 public:
  explicit TWordParagraph(TWordRange range) : range_(range) {}
  TWordRange Range() const { return range_; }

 private:
  TWordRange range_;
};

// The paragraphs of the story in order, those in table cells included.
class TWordParagraphs {
 public:
  explicit TWordParagraphs(TWordDocument* document) : document_(document) {}
  int Count() const;
  TWordParagraph Item(int index) const;  // from 1
  TWordParagraph Last() const;

 private:
  TWordDocument* document_;
};

class TWordCharacters {
 public:
  explicit TWordCharacters(const TWordDocument* document) : document_(document) {}
  int Count() const;

 private:
  const TWordDocument* document_;
};

class TWordCell {
 public:
  explicit TWordCell(TWordRange range) : range_(range) {}
  TWordRange Range() const { return range_; }

 private:
  TWordRange range_;
};

class TWordTable {
 public:
  TWordTable(TWordDocument* document, int id) : document_(document), id_(id) {}
  int RowCount() const;
  int ColumnCount() const;
  TWordCell Cell(int row, int column) const;  // both from 1

 private:
  TWordDocument* document_;
  int id_;
};

class TWordTables {
 public:
  explicit TWordTables(TWordDocument* document) : document_(document) {}
  int Count() const;
  TWordTable Item(int index) const;  // from 1, in document order
  // A table of `rows` x `columns` empty cells in place of the range: the
  // range's text goes (as SetText("") removes it) and the table stands before
  // the paragraph at the range's start, which is split there if need be.
  TWordTable Add(const TWordRange& range, int rows, int columns);

 private:
  TWordDocument* document_;
};

// Word's document format, the only one SaveAs writes: a Word 97 .doc.
inline constexpr int wdFormatDocument = 0;

class TWordDocument {
 public:
  // A document on its own; SaveAs then uses the default conversion settings.
  explicit TWordDocument(const TWordApplication* application = nullptr);

  TWordRange Range();                    // the whole story
  TWordRange Range(int start);           // from start to the end
  TWordRange Range(int start, int end);  // positions 0..Characters().Count()
  TWordParagraphs Paragraphs() { return TWordParagraphs(this); }
  TWordCharacters Characters() const { return TWordCharacters(this); }
  TWordTables Tables() { return TWordTables(this); }

  // Writes the document to `fileName` (a local file name) as a Word 97
  // document: the document goes to LibreOffice as an OpenDocument file and
  // comes back converted. The target is replaced only by a whole Word 97 file
  // (Word97Fault) from a run that ended with 0 and reported no error;
  // otherwise the error names the cause and the target stays as it was.
  // LibreOffice never outlives this process, however this process ends.
  void SaveAs(const std::string& fileName, int fileFormat);
  void Close();

  // The document as a flat OpenDocument text (.fodt), UTF-8.
  std::string FlatOpenDocument() const;

 private:
  friend class TWordRange;
  friend class TWordRangeFont;
  friend class TWordParagraphs;
  friend class TWordCharacters;
  friend class TWordTable;
  friend class TWordTables;
  friend class TWordDocuments;

  struct TCharacter {
    char16_t Char;
    TWordFont Font;
    int Table = 0;  // the table the character belongs to, 0 for none
  };
  struct TTable {
    int Id, Rows, Columns;
  };

  void CheckOpen() const;
  void CheckRange(int start, int end) const;
  void Insert(int position, const QString& text, const TWordFont& font, int table);
  const TWordFont& InheritedFont(int position) const;
  int TableStart(int id) const;
  const TTable& TableOf(int id) const;

  const TWordApplication* application_;
  bool closed_ = false;
  std::vector<TCharacter> story_;
  std::vector<TTable> tables_;
  int nextTable_ = 1;
};

class TWordDocuments {
 public:
  explicit TWordDocuments(const TWordApplication* application) : application_(application) {}
  TWordDocument& Add();
  int Count() const;  // documents not closed

 private:
  const TWordApplication* application_;
  std::vector<std::unique_ptr<TWordDocument>> documents_;
};

// The word processor: LibreOffice's "soffice", looked up on the PATH when the
// application object is made. Without it the constructor throws, saying in
// Czech that the export needs LibreOffice.
class TWordApplication {
 public:
  TWordApplication();
  TWordApplication(const TWordApplication&) = delete;
  TWordApplication& operator=(const TWordApplication&) = delete;

  TWordDocuments Documents{this};
  // The longest a conversion may run; LibreOffice is then stopped and SaveAs fails.
  static constexpr int DefaultConversionTimeoutMs = 60000;
  int ConversionTimeoutMs = DefaultConversionTimeoutMs;
};

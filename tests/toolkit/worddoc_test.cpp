#include "worddoc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "compoundfile.h"
#include "platform/recordfile_testutil.h"
#include "support/export_testutil.h"

namespace {

// The last paragraph's range, as the report writes it.
TWordRange Last(TWordDocument& doc) {
  return doc.Paragraphs().Last().Range();
}

// A stand-in "soffice" in `dir` running `body` (a shell script); it first
// notes that it ran and its process number in dir/started.
void WriteFakeSoffice(const TTempDir& dir, const std::string& body) {
  WriteBytes(dir.File("soffice"), "#!/bin/sh\nPATH=/usr/bin:/bin\necho $$ > '" + dir.File("started") + "'\n" + body);
  ::chmod(dir.File("soffice").c_str(), 0755);
}

// Whether the process has ended within a second (a killed process dies a moment after the signal).
bool ProcessGone(pid_t pid) {
  for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
    if (::kill(pid, 0) != 0) return true;
    // A child of another parent may linger as a zombie until reaped: it is dead all the same.
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return true;
    const auto close = stat.rfind(')');
    if (close != std::string::npos && stat.compare(close + 2, 1, "Z") == 0) return true;
  }
  return false;
}

}  // namespace

TEST(TWordDocument, ParagraphsBreaksSizesAndCharacters) {
  TWordDocument doc;
  EXPECT_EQ(doc.Characters().Count(), 1) << "one empty paragraph with its mark";
  EXPECT_EQ(doc.Paragraphs().Count(), 1);
  EXPECT_EQ(doc.Range().Text(), QStringLiteral("\r"));

  doc.Range().Font().SetName(QStringLiteral("Arial CE"));
  Last(doc).SetText(QStringLiteral("Ab"));
  Last(doc).Font().SetSize(20);
  doc.Range().InsertParagraphAfter();
  EXPECT_EQ(doc.Range().Text(), QStringLiteral("Ab\r\r"));
  EXPECT_EQ(doc.Characters().Count(), 4);
  EXPECT_EQ(doc.Paragraphs().Count(), 2);
  EXPECT_EQ(Last(doc).Start(), 3);
  EXPECT_EQ(Last(doc).Font().Size(), 20) << "a new paragraph takes the font of the mark before it";
  EXPECT_EQ(Last(doc).Font().Name(), QStringLiteral("Arial CE"));

  // A text with CR LF stays one paragraph; each line break is one character.
  Last(doc).Font().SetSize(10);
  Last(doc).SetText(QStringLiteral("x\r\ny\nz"));
  EXPECT_EQ(doc.Range().Text(), QStringLiteral("Ab\rx\vy\vz\r"));
  EXPECT_EQ(doc.Paragraphs().Count(), 2);
  EXPECT_EQ(doc.Paragraphs().Item(1).Range().Font().Size(), 20);
  EXPECT_EQ(Last(doc).Font().Size(), 10) << "the new text takes the font of the text it replaces";
  EXPECT_EQ(doc.Range().Font().Size(), float(wdUndefined));
  EXPECT_EQ(doc.Range().Font().Bold(), 0);
  doc.Range(0, 1).Font().SetBold(1);
  EXPECT_EQ(doc.Range().Font().Bold(), wdUndefined);
  EXPECT_EQ(doc.Range(1).Font().Bold(), 0);

  // Writing the last paragraph again replaces its text and keeps the final mark.
  Last(doc).SetText(QStringLiteral("w"));
  EXPECT_EQ(doc.Range().Text(), QStringLiteral("Ab\rw\r"));
  // Text appended to the whole document goes before the final mark, in the font of the text before it.
  TWordRange all = doc.Range();
  all.InsertAfter(QStringLiteral("v"));
  EXPECT_EQ(doc.Range().Text(), QStringLiteral("Ab\rwv\r"));
  EXPECT_EQ(all.End(), 6);
  EXPECT_EQ(doc.Range(4, 5).Font().Size(), 10);

  EXPECT_THROW(doc.Range(-1), std::runtime_error);
  EXPECT_THROW(doc.Range(2, 7), std::runtime_error);
  EXPECT_THROW(doc.Range(3, 2), std::runtime_error);
  EXPECT_THROW(doc.Paragraphs().Item(3), std::runtime_error);
  EXPECT_THROW(Last(doc).Font().SetSize(0), std::runtime_error);
  doc.Close();
  EXPECT_THROW(doc.Range(), std::runtime_error);
}

TEST(TWordDocument, TableBeforeTheFinalParagraphMark) {
  TWordDocument doc;
  Last(doc).SetText(QStringLiteral("Kód"));
  Last(doc).Font().SetSize(16);
  doc.Range().InsertParagraphAfter();
  doc.Range().InsertParagraphAfter();
  const int n = doc.Characters().Count();
  ASSERT_EQ(n, 6);

  TWordTable table = doc.Tables().Add(doc.Range(n - 1), 7, 3);
  EXPECT_EQ(doc.Characters().Count(), n + 7 * 4) << "a cell mark per cell and a row mark per row";
  EXPECT_EQ(doc.Tables().Count(), 1);
  EXPECT_EQ(doc.Paragraphs().Count(), 3 + 21);
  EXPECT_EQ(doc.Paragraphs().Item(2).Range().Text(), QStringLiteral("\r")) << "the paragraph before the table";
  EXPECT_EQ(Last(doc).Start(), n - 1 + 28) << "the final paragraph follows the table";
  EXPECT_EQ(Last(doc).Font().Size(), 16);

  for (int c = 1; c <= 3; ++c) {
    TWordRange cell = table.Cell(1, c).Range();
    cell.Font().SetSize(12);
    cell.Font().SetBold(1);
  }
  table.Cell(1, 1).Range().InsertAfter(QStringLiteral("Škála"));
  table.Cell(2, 3).Range().InsertAfter(QStringLiteral("nízká"));
  EXPECT_EQ(table.Cell(1, 1).Range().Text(), QStringLiteral("Škála\a"));
  EXPECT_EQ(table.Cell(1, 1).Range().Font().Bold(), 1) << "text in an empty cell takes the cell's font";
  EXPECT_EQ(table.Cell(1, 1).Range().Font().Size(), 12);
  EXPECT_EQ(table.Cell(2, 3).Range().Text(), QStringLiteral("nízká\a"));
  EXPECT_EQ(table.Cell(2, 3).Range().Font().Bold(), 0);
  EXPECT_EQ(table.Cell(2, 3).Range().Font().Size(), 16);
  EXPECT_EQ(table.Cell(1, 2).Range().Text(), QStringLiteral("\a"));
  EXPECT_THROW(table.Cell(8, 1), std::runtime_error);
  EXPECT_THROW(table.Cell(1, 4), std::runtime_error);
  EXPECT_THROW(doc.Range(n, table.Cell(1, 2).Range().Start() + 1).SetText(QString()), std::runtime_error)
      << "a range across cell marks";

  // Breaks after the table add paragraphs after the final one.
  doc.Range().InsertParagraphAfter();
  Last(doc).SetText(QStringLiteral("Po"));
  EXPECT_EQ(doc.Paragraphs().Item(24).Range().Text(), QStringLiteral("\r"));
  EXPECT_EQ(Last(doc).Text(), QStringLiteral("Po\r"));

  // A table placed inside a paragraph splits it.
  TWordDocument split;
  Last(split).SetText(QStringLiteral("abcd"));
  split.Tables().Add(split.Range(2, 2), 1, 1);
  EXPECT_EQ(split.Range().Text(), QStringLiteral("ab\r\a\x1e"
                                                 "cd\r"));
  EXPECT_THROW(split.Tables().Add(split.Range(3, 3), 1, 1), std::runtime_error) << "no table inside a table";
}

TEST(TWordDocument, SaveAsFailuresLeaveNoFile) {
  TTempDir dir;
  const std::string target = dir.File("out/report.doc");
  std::filesystem::create_directory(dir.File("out"));
  WriteBytes(target, "old");
  TWordDocument doc;
  Last(doc).SetText(QStringLiteral("report"));

  {
    TEnvOverride path("PATH", dir.Path());  // no soffice there
    EXPECT_TRUE(ErrorMessageOf([] {
                  TWordApplication word;
                }).contains(QStringLiteral("potřebuje kancelářský balík LibreOffice")));
    EXPECT_TRUE(ErrorMessageOf([&] { doc.SaveAs(target, wdFormatDocument); }).contains(QStringLiteral("LibreOffice")));
  }
  EXPECT_TRUE(ErrorMessageOf([&] { doc.SaveAs(target, 16); }).contains(QStringLiteral("není podporován")));

  // LibreOffice fails: its last words name the cause; the old file stays.
  WriteFakeSoffice(dir, "echo 'Error: source file could not be loaded' >&2\nexit 3\n");
  {
    TEnvOverride path("PATH", dir.Path());
    const QString message = ErrorMessageOf([&] { doc.SaveAs(target, wdFormatDocument); });
    EXPECT_TRUE(message.contains(QStringLiteral("kód ukončení 3: Error: source file could not be loaded")))
        << message.toStdString();
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(FilesIn(dir.File("out")), std::vector<std::string>{"report.doc"});

    // Folders that cannot take the file fail before LibreOffice starts.
    std::filesystem::remove(dir.File("started"));
    EXPECT_TRUE(ErrorMessageOf([&] {
                  doc.SaveAs(dir.File("none/report.doc"), wdFormatDocument);
                }).contains(QStringLiteral("složka nebo soubor neexistuje")));
    EXPECT_TRUE(ErrorMessageOf([&] {
                  doc.SaveAs(dir.File("soffice/report.doc"), wdFormatDocument);
                }).contains(QStringLiteral("neexistuje")))
        << "a file where a folder should be";
    EXPECT_FALSE(std::filesystem::exists(dir.File("started")));
  }

  // LibreOffice hangs, with a child of its own: both are stopped at the limit.
  WriteFakeSoffice(dir, "sleep 60 &\necho $! > '" + dir.File("child") + "'\nwait\n");
  {
    TEnvOverride path("PATH", dir.Path());
    TWordApplication word;
    word.ConversionTimeoutMs = 500;
    TWordDocument& hung = word.Documents.Add();
    const auto start = std::chrono::steady_clock::now();
    const QString message = ErrorMessageOf([&] { hung.SaveAs(target, wdFormatDocument); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(message.contains(QStringLiteral("nedokončil převod dokumentu do 0.5 sekund"))) << message.toStdString();
    EXPECT_TRUE(ProcessGone(std::stoi(ReadBytes(dir.File("started")))));
    EXPECT_TRUE(ProcessGone(std::stoi(ReadBytes(dir.File("child")))));
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(FilesIn(dir.File("out")), std::vector<std::string>{"report.doc"});
  }
}

TEST(TWordDocument, SaveAsTakesOnlyAWholeWord97FileFromARunWithoutError) {
  TTempDir dir;
  const std::string target = dir.File("report.doc");
  TWordDocument doc;
  Last(doc).SetText(QStringLiteral("Zpráva"));
  doc.SaveAs(dir.File("good.doc"), wdFormatDocument);  // through the real LibreOffice
  const std::string good = ReadBytes(dir.File("good.doc"));
  ASSERT_EQ(Word97Fault(good), "");

  // Cut anywhere, the file names sectors it does not hold; other damage is named too.
  for (std::size_t cut = 0; cut < good.size(); cut += 97)
    EXPECT_NE(Word97Fault(good.substr(0, cut)), "") << "cut at " << cut;
  EXPECT_EQ(Word97Fault(good.substr(0, good.size() - 1)), "soubor je zkrácený");
  std::string renamed = good;
  const std::size_t at = renamed.find(std::string("W\0o\0r\0d\0D\0o\0c\0u\0m\0e\0n\0t\0", 24));
  ASSERT_NE(at, std::string::npos);
  renamed[at + 22] = 'X';
  EXPECT_EQ(Word97Fault(renamed), "soubor neobsahuje text dokumentu (proud WordDocument)");
  EXPECT_EQ(Word97Fault("old"), "nejde o složený soubor OLE");

  // Saved through a stand-in LibreOffice that makes its output file "$doc" with `make`.
  TEnvOverride path("PATH", dir.Path());
  const auto saveMaking = [&](const std::string& make) {
    WriteFakeSoffice(dir,
                     "while [ $# -gt 0 ]; do [ \"$1\" = --outdir ] && out=\"$2\"; shift; done\n"
                     "mkdir -p \"$out\" && doc=\"$out/report.doc\"\n" +
                         make);
    return ErrorMessageOf([&] { doc.SaveAs(target, wdFormatDocument); }).toStdString();
  };
  // ... the first `bytes` of the good file, after `before`.
  const auto saveWith = [&](std::size_t bytes, const std::string& before) {
    return saveMaking(before + "head -c " + std::to_string(bytes) + " '" + dir.File("good.doc") + "' > \"$doc\"\n");
  };
  WriteBytes(target, "old");
  // Only a plain file of a sane size is read: a pipe would wait for ever, the zero device never end.
  EXPECT_THAT(saveMaking("truncate -s 10M \"$doc\"\n"), ::testing::HasSubstr("je příliš velký"));
  EXPECT_THAT(saveMaking("ln -s /dev/zero \"$doc\"\n"), ::testing::HasSubstr("není obyčejný soubor"));
  EXPECT_THAT(saveMaking("mkfifo \"$doc\"\n"), ::testing::HasSubstr("není obyčejný soubor"));
  // An error reported (on either channel) fails even a whole file; a cut file fails without one.
  const std::string fullDisk = "Error: Please verify input parameters... (SfxBaseModel::impl_store failed: 0x507)";
  EXPECT_THAT(saveWith(good.size() / 2, "echo '" + fullDisk + "' >&2\n"), ::testing::HasSubstr(fullDisk));
  EXPECT_THAT(saveWith(good.size(), "echo '" + fullDisk + "'\n"), ::testing::HasSubstr(fullDisk));
  EXPECT_THAT(saveWith(good.size() - 512, ""),
              ::testing::HasSubstr("není úplný dokument MS Word 97: soubor je zkrácený"));
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"good.doc", "report.doc", "soffice", "started"}));
  EXPECT_EQ(saveWith(good.size(), "echo 'Warning: failed to launch javaldx - java may not function correctly'\n"),
            "no error");
  EXPECT_EQ(ReadBytes(target), good);
}

TEST(TWordDocument, ConversionEndsWhenTheProgramThatStartedItIsKilled) {
  TTempDir dir;
  WriteFakeSoffice(dir, "sleep 60 &\necho $! > '" + dir.File("child") + "'\nwait\n");
  TEnvOverride path("PATH", dir.Path());
  std::filesystem::create_directory(dir.File("tmp"));
  TEnvOverride tmp("TMPDIR", dir.File("tmp"));  // the killed export leaves its work folder there
  TWordDocument doc;
  const pid_t exporter = ::fork();
  if (exporter == 0) {
    try {
      doc.SaveAs(dir.File("report.doc"), wdFormatDocument);
    } catch (...) {
    }
    ::_exit(0);
  }
  ASSERT_GT(exporter, 0);
  std::string child;
  for (int i = 0; i < 1000 && (child.empty() || child.back() != '\n'); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (std::filesystem::exists(dir.File("child"))) child = ReadBytes(dir.File("child"));
  }
  ASSERT_FALSE(child.empty()) << "the stand-in LibreOffice did not start";
  ::kill(exporter, SIGKILL);
  ::waitpid(exporter, nullptr, 0);
  const pid_t soffice = std::stoi(ReadBytes(dir.File("started"))), sleeper = std::stoi(child);
  EXPECT_TRUE(ProcessGone(soffice));
  EXPECT_TRUE(ProcessGone(sleeper));
  for (const pid_t left : {soffice, sleeper}) ::kill(left, SIGKILL);
}

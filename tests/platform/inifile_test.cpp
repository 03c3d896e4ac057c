#include "inifile.h"

#include <gtest/gtest.h>

#include "recordfile.h"
#include "recordfile_testutil.h"

TEST(IniFile, WriteBoolCreatesWhatIsMissingAndKeepsTheRest) {
  TTempDir dir;
  const std::string ini = dir.File("zovi.ini");
  EXPECT_FALSE(IniSectionExists(ini, "ZOVI"));
  IniWriteBool(ini, "ZOVI", "RequireAll", false);
  EXPECT_EQ(ReadBytes(ini), "[ZOVI]\nRequireAll=0\n");
  EXPECT_TRUE(IniSectionExists(ini, "ZOVI"));
  EXPECT_TRUE(IniSectionExists(ini, " zovi "));

  // A new section goes to the end; a file without a last line ending gets one first.
  WriteBytes(ini, "; settings\r\n[Other]\r\nKey=x\r\n\r\n[Last]\r\nA=1");
  IniWriteBool(ini, "ZOVI", "RequireAll", true);
  EXPECT_EQ(ReadBytes(ini), "; settings\r\n[Other]\r\nKey=x\r\n\r\n[Last]\r\nA=1\r\n[ZOVI]\r\nRequireAll=1\r\n");

  // A new key follows the section's last entry; an existing one keeps its place.
  WriteBytes(ini, "[zovi]\nName=a b\n; note\n\n[Next]\nRequireAll=1\n");
  IniWriteBool(ini, "ZOVI", "RequireAll", true);
  EXPECT_EQ(ReadBytes(ini), "[zovi]\nName=a b\nRequireAll=1\n; note\n\n[Next]\nRequireAll=1\n");
  IniWriteBool(ini, "ZOVI", "requireall", false);
  EXPECT_EQ(ReadBytes(ini), "[zovi]\nName=a b\nRequireAll=0\n; note\n\n[Next]\nRequireAll=1\n");
  EXPECT_FALSE(IniSectionExists(ini, "Nex"));
  EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"zovi.ini"});
}

TEST(IniFile, FailuresRaiseAndKeepTheFile) {
  TTempDir dir;
  EXPECT_THROW(IniSectionExists(dir.Path(), "ZOVI"), EInOutError);
  EXPECT_THROW(IniWriteBool(dir.File("no-folder/zovi.ini"), "ZOVI", "RequireAll", false), EInOutError);
  try {
    IniWriteBool(SystemReadOnlyFile, "ZOVI", "RequireAll", false);
    ADD_FAILURE() << "wrote a read-only file";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.ErrorCode, 0);
  }
  const std::string ini = dir.File("zovi.ini");
  WriteBytes(ini, "[A]\nx=1\n");
  ::chmod(dir.Path().c_str(), 0555);  // the folder takes no new file
  if (::geteuid() != 0) {
    EXPECT_THROW(IniWriteBool(ini, "ZOVI", "RequireAll", false), EInOutError);
    EXPECT_EQ(ReadBytes(ini), "[A]\nx=1\n");
  }
  ::chmod(dir.Path().c_str(), 0755);
}

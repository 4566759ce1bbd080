#include "core/carg.h"

#include <gtest/gtest.h>

#include "log/log_library.h"

namespace {

struct Parsed {
  CArg arg;
  MemoryLog log;
  explicit Parsed(const std::string& text) { arg.init(text, log); }
};

TEST(CArg, SplitsSourceDestinationAndTemplate) {
  Parsed p("C:\\A\\B\\C|D:\\X\\Y\\Z");
  EXPECT_EQ(p.arg.Source, "C:\\A\\B\\C");
  EXPECT_EQ(p.arg.Dest, "D:\\X\\Y\\Z");
  EXPECT_EQ(p.arg.Template, "D:\\X");
  EXPECT_EQ(p.log.lines, (std::vector<std::string>{".Source-Path: C:\\A\\B\\C",
                                                   ".Dest.-Path: D:\\X\\Y\\Z",
                                                   ".Temp.-Path: D:\\X"}));
}

// Trailing separators were cut by init, so one separator joins a path below.
TEST(CArg, PathsBelowTheThreeRootsHaveOneSeparator) {
  Parsed p("C:\\OLD\\QVD\\R1\\ | D:\\NEW\\QVD\\R1\\");
  EXPECT_EQ(p.arg.InSource("System\\$CONFIG.DAT"), "C:\\OLD\\QVD\\R1\\System\\$CONFIG.DAT");
  EXPECT_EQ(p.arg.InDest("Program\\a.src"), "D:\\NEW\\QVD\\R1\\Program\\a.src");
  EXPECT_EQ(p.arg.InTemplate("TEMPLATE"), "D:\\NEW\\TEMPLATE");
}

TEST(CArg, BlanksAroundPathsAndSeparatorAreIgnored) {
  Parsed p("   C:\\A\\B\\C  |   D:\\X\\Y\\Z   ");
  EXPECT_EQ(p.arg.Source, "C:\\A\\B\\C");
  EXPECT_EQ(p.arg.Dest, "D:\\X\\Y\\Z");
  EXPECT_EQ(p.arg.Template, "D:\\X");
}

TEST(CArg, TrailingSeparatorsAreRemoved) {
  Parsed p("C:\\A\\B\\C\\/|D:\\X\\Y\\Z\\\\");
  EXPECT_EQ(p.arg.Source, "C:\\A\\B\\C");
  EXPECT_EQ(p.arg.Dest, "D:\\X\\Y\\Z");
}

TEST(CArg, WithoutSeparatorSourceIsAlsoDestination) {
  Parsed p("C:\\A\\B\\C");
  EXPECT_EQ(p.arg.Source, "C:\\A\\B\\C");
  EXPECT_EQ(p.arg.Dest, "C:\\A\\B\\C");
  EXPECT_EQ(p.arg.Template, "C:\\A");
}

TEST(CArg, TextAfterSecondSeparatorIsIgnored) {
  Parsed p("C:\\A\\B\\C|D:\\X\\Y\\Z|more");
  EXPECT_EQ(p.arg.Dest, "D:\\X\\Y\\Z");
}

TEST(CArg, NothingBeforeTheSeparatorSetsAndLogsNothing) {
  for (const char* text : {"|D:\\X\\Y", "|", "   ", ""}) {
    Parsed p(text);
    EXPECT_EQ(p.arg.Source, "") << text;
    EXPECT_EQ(p.arg.Dest, "") << text;
    EXPECT_TRUE(p.log.lines.empty()) << text;
  }
}

TEST(CArg, EmptySourceLeavesEarlierPathsAlone) {
  CArg arg;
  MemoryLog log;
  arg.init("C:\\A\\B\\C|D:\\X\\Y\\Z", log);
  arg.init("|E:\\Q\\R", log);
  EXPECT_EQ(arg.Source, "");
  EXPECT_EQ(arg.Dest, "D:\\X\\Y\\Z");
  EXPECT_EQ(arg.Template, "D:\\X");
}

TEST(CArg, EmptyDestinationLogsTheSourceOnly) {
  Parsed p("C:\\A\\B|");
  EXPECT_EQ(p.arg.Source, "C:\\A\\B");
  EXPECT_EQ(p.arg.Dest, "");
  EXPECT_EQ(p.log.lines, (std::vector<std::string>{".Source-Path: C:\\A\\B"}));
}

TEST(CArg, TemplateOfShortDestinations) {
  EXPECT_EQ(Parsed("C:\\A|D:\\Z").arg.Template, "");
  EXPECT_EQ(Parsed("C:\\A|DEST").arg.Template, "DEST");
  EXPECT_EQ(CArg::CutPathParts("C:\\QVD\\ROBOTER\\QVD\\R1", 2), "C:\\QVD\\ROBOTER");
}

TEST(CArg, QuotationMarksAreKept) {
  Parsed p("\"C:\\A|D:\\B\"");
  EXPECT_EQ(p.arg.Source, "\"C:\\A");
  EXPECT_EQ(p.arg.Dest, "D:\\B\"");
}

TEST(CArg, SeparatorBeyondPosition255IsFound) {
  std::string source = "C:\\" + std::string(300, 'S');
  Parsed p(source + "|D:\\X\\Y\\Z");
  EXPECT_EQ(p.arg.Source, source);
  EXPECT_EQ(p.arg.Dest, "D:\\X\\Y\\Z");
}

TEST(CArg, FindCharIsOneBased) {
  EXPECT_EQ(CArg::FindChar("ab|c", 1, '|'), 3u);
  EXPECT_EQ(CArg::FindChar("ab|c", 4, '|'), 0u);
  EXPECT_EQ(CArg::FindChar("abc", 1, '|'), 0u);
}

}  // namespace

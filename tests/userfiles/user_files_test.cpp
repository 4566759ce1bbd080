#include "userfiles/user_files.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kRoot = "C:\\QVD\\ROBOTER";
const std::string kSrcTemplate = kRoot + "\\Template\\Vorgabe.src";
const std::string kDatTemplate = kRoot + "\\Template\\Vorgabe.dat";
const std::string kPaired = "DEF A()\r\n;FOLD INI\r\nx\r\n;ENDFOLD\r\nEND\r\n";
const std::string kUnclosed = "DEF B()\r\n;FOLD INI\r\nx\r\nEND\r\n";

std::string SaveSrc() { return kSrcTemplate + "| C:\\PROG\\Vantrel\\Vorgabe_Src_of.upg /TXT"; }
std::string SaveDat() { return kDatTemplate + "| C:\\PROG\\Vantrel\\Vorgabe_Dat_of.upg /TXT"; }
std::string Exchange(const std::string& file, const std::string& control) {
  return kNew + "\\" + file + " | C:\\PROG\\Vantrel\\" + control + " /TXT";
}

// With newFolder, the copy first creates the file's folder in the new tree.
Lines Copied(const std::string& file, bool newFolder = false) {
  Lines lines{".UpgradeUserFile " + kOld + "\\" + file,
              ".Copy file from SourceDir  to DestinationDir"};
  std::string target = kNew + "\\" + file;
  if (newFolder) lines.push_back(".Creating : " + target.substr(0, target.rfind('\\')));
  lines.push_back("." + file + " copied from " + kOld + "\\" + file + " to " + target);
  return lines;
}

Lines SrcExchangeLines(const std::string& file) {
  const std::string dest = kNew + "\\" + file + " (Controlfile: Vorgabe_Src_nf.upg)";
  return {". +++ Start: Save the Folds in: " + kSrcTemplate + "(Controlfile: Vorgabe_Src_of.upg)",
          ". +++ End: Save the Folds in: " + kSrcTemplate + " (Controlfile: Vorgabe_Src_of.upg)",
          ". +++ Start: Exchange the Folds in Dest.file: " + dest,
          ". +++ End: Exchange the Folds in Dest.file: " + dest};
}

Lines DatExchangeLines(const std::string& file) {
  const std::string dest = kNew + "\\" + file + "(Controlfile: Vorgabe_Dat_nf.upg)";
  return {". +++ Start: Save the Folds in" + kDatTemplate + "(Controlfile: Vorgabe_Dat_of.upg)",
          ". +++ End: Save the Folds in " + kDatTemplate + "(Controlfile: Vorgabe_Dat_of.upg)",
          ". +++ Start: Exchange the Folds in Dest.file: " + dest,
          ". +++ End: Exchange the Folds in Dest.file: " + dest};
}

Lines Parsed(const std::string& file) {
  return {".Parse the File:" + file, ".ParseUserFile: " + file + " no failure found !"};
}

// The check's lines for a file with kUnclosed.
Lines Unclosed(const std::string& file) {
  return {".Parse the File:" + file,
          "# ERROR: there are 1 ;FOLD statements, but 0 ;ENDFOLD statements in the file",
          "# ERROR: missing ';ENDFOLD' statement for the ';FOLD' statment in line 2",
          "#ParseUserFile: " + file + " hat 2 Fehler"};
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class UserFileFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::MakeProgramFolder(drive, "C:\\PROG", true);
    Context& c = run.context;
    c.Arg.Source = kOld;
    c.Arg.Dest = kNew;
    c.Arg.Template = kRoot;
    drive.Write(kSrcTemplate, ";FOLD INI\r\nnew\r\n;ENDFOLD\r\n");
    drive.Write(kDatTemplate, "DEFDAT X\r\nENDDAT\r\n");
    drive.MakeFolder(kOld);
    drive.MakeFolder(kNew);
    c.StdForm.Visible = true;
    c.StdForm.OnRepaint = [this](const ProgressWindow& window) {
      repaints.emplace_back(window.Information, window.Value);
    };
    c.ShowMessageBox = [this](const std::string& text, MessageIcon icon) {
      messages.emplace_back(text, icon);
    };
  }
  void Old(const std::string& file, const std::string& bytes) {
    drive.Write(kOld + "\\" + file, bytes);
  }
  Lines Calls() const { return testenv::RecordedFoldexCalls(drive, "C:\\PROG"); }
  const Lines& Log() const { return run.lines(); }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
  std::vector<std::pair<std::string, double>> repaints;
  std::vector<std::pair<std::string, MessageIcon>> messages;
};

TEST_F(UserFileFlow, EachKindIsRegisteredListedCheckedAndUpgraded) {
  Old("Program\\A.SRC", kPaired);
  Old("Program\\B.SRC", kPaired);
  Old("Program\\A.DAT", kPaired);
  Old("Program\\A.SUB", kPaired);
  ConvertUserFiles(run.context);
  EXPECT_EQ(Log(), Join({{
                             ".1.src file found to upgrade: Program\\A.SRC",
                             ".2.src file found to upgrade: Program\\B.SRC",
                             ".1.dat file found to upgrade: Program\\A.DAT",
                             ".1.sub file found to upgrade: Program\\A.SUB",
                             ".UserFiles (SRC) found to upgrade: 2",
                             ".1.SRC-File to upgrade :Program\\A.SRC",
                             ".2.SRC-File to upgrade :Program\\B.SRC",
                             ".UserFiles (DAT) found to upgrade: 1",
                             ".1.DAT-File to upgrade:Program\\A.DAT",
                             ".UserFiles (SUB) found to upgrade: 1",
                             ".1.SUB-File to upgrade:Program\\A.SUB",
                         },
                         Parsed("Program\\A.SRC"), Copied("Program\\A.SRC", true),
                         SrcExchangeLines("Program\\A.SRC"),
                         Parsed("Program\\B.SRC"), Copied("Program\\B.SRC"),
                         SrcExchangeLines("Program\\B.SRC"),
                         Parsed("Program\\A.DAT"), Copied("Program\\A.DAT"),
                         DatExchangeLines("Program\\A.DAT"),
                         Parsed("Program\\A.SUB"), Copied("Program\\A.SUB"),
                         {". No upgrade .SUB- File:, Program\\A.SUB"}}));
  EXPECT_EQ(Calls(), (Lines{SaveSrc(), Exchange("Program\\A.SRC", "Vorgabe_Src_nf.upg"),
                            SaveSrc(), Exchange("Program\\B.SRC", "Vorgabe_Src_nf.upg"),
                            SaveDat(), Exchange("Program\\A.DAT", "Vorgabe_Dat_nf.upg")}));
  EXPECT_EQ(drive.Read(kNew + "\\Program\\A.SUB"), kPaired);
}

TEST_F(UserFileFlow, ProgressPassesItsStagesAndNamesEachFile) {
  Old("A.SRC", kPaired);
  Old("A.DAT", kPaired);
  Old("A.SUB", kPaired);
  ConvertUserFiles(run.context);
  using Repaint = std::pair<std::string, double>;
  EXPECT_EQ(repaints, (std::vector<Repaint>{{"Upgrade user files " + kNew + "\\A.SRC", 100},
                                            {"Upgrade user files " + kNew + "\\A.DAT", 400},
                                            {"Upgrade user files " + kNew + "\\A.SUB", 600}}));
  EXPECT_EQ(run.context.StdForm.Value, 800);
  EXPECT_TRUE(run.context.StdForm.Visible) << "only an interactive run hides the window";
}

TEST_F(UserFileFlow, NoUserFilesGivesThreeZeroCounts) {
  Old("Mada\\M.SRC", kPaired);
  ConvertUserFiles(run.context);
  EXPECT_EQ(Log(), (Lines{".UserFiles (SRC) found to upgrade: 0",
                          ".UserFiles (DAT) found to upgrade: 0",
                          ".UserFiles (SUB) found to upgrade: 0"}));
  EXPECT_EQ(run.context.StdForm.Value, 800);
  EXPECT_EQ(Calls(), Lines{});
}

TEST_F(UserFileFlow, FileWithFaultsIsCopiedUnchangedWithoutExchange) {
  Old("Program\\Sub\\B.SRC", kUnclosed);
  ConvertUserFiles(run.context);
  EXPECT_EQ(Log(), Join({{
                             ".1.src file found to upgrade: Program\\Sub\\B.SRC",
                             ".UserFiles (SRC) found to upgrade: 1",
                             ".1.SRC-File to upgrade :Program\\Sub\\B.SRC",
                             ".UserFiles (DAT) found to upgrade: 0",
                             ".UserFiles (SUB) found to upgrade: 0",
                         },
                         Unclosed("Program\\Sub\\B.SRC"),
                         {
                             ".Creating : " + kNew + "\\Program",
                             ".Creating : " + kNew + "\\Program\\Sub",
                         }}));
  EXPECT_EQ(drive.Read(kNew + "\\Program\\Sub\\B.SRC"), kUnclosed);
  EXPECT_EQ(Calls(), Lines{});
}

TEST_F(UserFileFlow, FileWithFaultsReplacesAnOlderCopy) {
  Old("B.DAT", kUnclosed);
  drive.Write(kNew + "\\B.DAT", "shipped");
  ConvertUserFiles(run.context);
  EXPECT_EQ(drive.Read(kNew + "\\B.DAT"), kUnclosed);
}

TEST_F(UserFileFlow, FailedPlainCopyIsOneErrorLineAndTheNextFileFollows) {
  Old("B.SRC", kUnclosed);
  Old("C.SRC", kUnclosed);
  drive.MakeFolder(kNew + "\\B.SRC");
  ConvertUserFiles(run.context);
  EXPECT_EQ(Lines(Log().begin() + 7, Log().end()),
            Join({Unclosed("B.SRC"),
                  {"# ERROR: can not copy " + kOld + "\\B.SRC to " + kNew +
                   "\\B.SRC: Is a directory"},
                  Unclosed("C.SRC")}));
  EXPECT_TRUE(fs::is_directory(drive.Host(kNew + "\\B.SRC")));
  EXPECT_EQ(drive.Read(kNew + "\\C.SRC"), kUnclosed);
}

#ifndef _WIN32
// Files found by the walk that vanish, turn unreadable or become a FIFO
// before they are read: one error line each, no hang, nothing copied.
TEST_F(UserFileFlow, EntriesChangedBetweenTheWalkAndTheReadAreOneErrorEach) {
  Old("GONE.SRC", kPaired);
  Old("PIPE.SRC", kPaired);
  Old("SHUT.SRC", kPaired);
  run.context.SrcFileReg.findFilesToConvert(run.context, kOld, "src");
  fs::remove(drive.Host(kOld + "\\GONE.SRC"));
  fs::remove(drive.Host(kOld + "\\PIPE.SRC"));
  ASSERT_EQ(mkfifo(drive.Host(kOld + "\\PIPE.SRC").c_str(), 0644), 0);
  fs::permissions(drive.Host(kOld + "\\SHUT.SRC"), fs::perms::none);
  run.log.lines.clear();
  ConvertRegisteredFiles(run.context, run.context.SrcFileReg, "Src");
  Lines errors;
  for (const std::string& line : Log())
    if (line[0] == '#') errors.push_back(line);
  Lines expected{
      "# ERROR: can not read the file " + kOld + "\\GONE.SRC: No such file or directory",
      "# ERROR: can not read the file " + kOld + "\\PIPE.SRC: not an ordinary file"};
  // With privileges every file can be read whatever its permissions.
  if (geteuid() != 0)
    expected.push_back("# ERROR: can not read the file " + kOld + "\\SHUT.SRC: Permission denied");
  EXPECT_EQ(errors, expected);
  EXPECT_FALSE(drive.Exists(kNew + "\\GONE.SRC"));
  EXPECT_FALSE(drive.Exists(kNew + "\\PIPE.SRC"));
}
#endif

TEST_F(UserFileFlow, MissingTemplateTouchesNoFile) {
  fs::remove(drive.Host(kDatTemplate));
  Old("A.SUB", kPaired);
  Old("A.SRC", kPaired);
  ConvertUserFiles(run.context);
  EXPECT_EQ(Log(), (Lines{"# File not found:" + kSrcTemplate + " OR " + kDatTemplate,
                          "# USER Files not converted !!!"}));
  EXPECT_TRUE(messages.empty()) << "no message box in batch mode";
  EXPECT_FALSE(drive.Exists(kNew + "\\A.SUB"));
  EXPECT_FALSE(drive.Exists(kNew + "\\A.SRC"));
  EXPECT_TRUE(run.context.SrcFileReg.FilesToCopy().empty());
  EXPECT_EQ(run.context.StdForm.Value, 1);
  EXPECT_EQ(Calls(), Lines{});
}

// The templates are looked for by listing their paths, which finds a
// folder of that name as well as a file.
TEST_F(UserFileFlow, TemplateFoundByListingEvenAsAFolder) {
  fs::remove(drive.Host(kSrcTemplate));
  drive.MakeFolder(kSrcTemplate);
  ConvertUserFiles(run.context);
  EXPECT_EQ(Log(), (Lines{".UserFiles (SRC) found to upgrade: 0",
                          ".UserFiles (DAT) found to upgrade: 0",
                          ".UserFiles (SUB) found to upgrade: 0"}));
}

TEST_F(UserFileFlow, InteractiveMissingTemplateShowsMessageAndHidesWindow) {
  run.context.BatchMode = false;
  fs::remove(drive.Host(kSrcTemplate));
  ConvertUserFiles(run.context);
  EXPECT_EQ(messages, (std::vector<std::pair<std::string, MessageIcon>>{
                          {"File not found:" + kSrcTemplate + " OR " + kDatTemplate,
                           MessageIcon::kCritical}}));
  EXPECT_EQ(Log().size(), 2u);
  EXPECT_FALSE(run.context.StdForm.Visible);
}

TEST_F(UserFileFlow, InteractiveRunHidesWindowAtTheEnd) {
  run.context.BatchMode = false;
  Old("A.SRC", kPaired);
  ConvertUserFiles(run.context);
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(run.context.StdForm.Visible);
  EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(UserFileFlow, IniListedFilesAreLeftToTheirOwnStages) {
  run.context.SystemFilesList.Add("SPS.SUB");
  run.context.FileToCopyList.Add("Program\\COPY.SRC");
  run.context.FileNotToConvertList.Add("SKIP.DAT");
  Old("System\\SPS.SUB", kPaired);
  Old("Program\\COPY.SRC", kPaired);
  Old("SKIP.DAT", kPaired);
  ConvertUserFiles(run.context);
  EXPECT_EQ(Log(), (Lines{".UserFiles (SRC) found to upgrade: 0",
                          ".UserFiles (DAT) found to upgrade: 0",
                          ".UserFiles (SUB) found to upgrade: 0"}));
  EXPECT_FALSE(drive.Exists(kNew + "\\Program"));
}

TEST_F(UserFileFlow, UpgradeOfAnUnknownKindOnlyCopies) {
  Old("A.XYZ", kPaired);
  UpgradeUserFile(run.context, "A.XYZ", "xyz");
  EXPECT_EQ(Log(), Copied("A.XYZ"));
  EXPECT_EQ(Calls(), Lines{});
}

TEST_F(UserFileFlow, KindIsComparedWithoutCase) {
  Old("A.SRC", kPaired);
  UpgradeUserFile(run.context, "A.SRC", "sRc");
  EXPECT_EQ(Calls(), (Lines{SaveSrc(), Exchange("A.SRC", "Vorgabe_Src_nf.upg")}));
}

}  // namespace

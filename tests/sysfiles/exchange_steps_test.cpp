// The file-pair check, the command lines and log lines of each exchange
// sequence, and the clean-up of the saved folds.

#include "sysfiles/exchange_steps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kUpg = "C:\\PROG\\Vantrel\\";

// Keeps the bar value at which each line was written.
struct BarLog : MemoryLog {
  const ProgressWindow* window = nullptr;
  std::vector<double> bars;
  void LogWrite(const std::string& line) override {
    bars.push_back(window->Value);
    MemoryLog::LogWrite(line);
  }
};

class ExchangeSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::MakeProgramFolder(drive, "C:\\PROG", true);
    Context& context = run.context;
    context.Arg.Source = kOld;
    context.Arg.Dest = kNew;
    context.Arg.Template = "C:\\QVD\\ROBOTER";
    log.window = &context.StdForm;
    context.Lumo = &log;
  }
  void InWork(const std::string& relPath, bool found) {
    run.context.SystemFile.SourceFileName = run.context.SystemFile.DestFileName = relPath;
    if (found) run.context.SystemFile.FoundSourceFile = run.context.SystemFile.FoundDestFile = relPath;
  }
  Lines Calls() const { return testenv::RecordedFoldexCalls(drive, "C:\\PROG"); }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
  BarLog log;
};

using CheckPair = ExchangeSteps;

TEST_F(CheckPair, BothFilesThere) {
  drive.Write(kOld + "\\System\\SPS.SUB", "old");
  drive.Write(kNew + "\\System\\SPS.SUB", "new");
  InWork("System\\SPS.SUB", false);
  EXPECT_TRUE(CheckFilePair(run.context));
  EXPECT_EQ(log.lines, (Lines{".Check file: System\\SPS.SUB",
                              ".Source file found:  " + kOld + "\\System\\SPS.SUB",
                              ".Destination file found: " + kNew + "\\System\\SPS.SUB"}));
  EXPECT_EQ(run.context.SystemFile.FoundSourceFile, "System\\SPS.SUB");
  EXPECT_EQ(run.context.SystemFile.FoundDestFile, "System\\SPS.SUB");
}

TEST_F(CheckPair, RootsDifferingOnlyInCaseAreEqual) {
  drive.Write(kNew + "\\System\\SPS.SUB", "new");
  run.context.Arg.Source = "c:\\qvd\\roboter\\qvd\\r1";
  InWork("System\\SPS.SUB", false);
  EXPECT_FALSE(CheckFilePair(run.context));
  EXPECT_EQ(log.lines, (Lines{".Check file: System\\SPS.SUB",
                              "# ERROR: source path = destination path"}));
}

TEST_F(CheckPair, MissingSourceStopsBeforeTheDestination) {
  InWork("System\\IR_STOPM.SRC", false);
  run.context.SystemFile.FoundDestFile = "System\\SPS.SUB";  // left from an earlier file
  EXPECT_FALSE(CheckFilePair(run.context));
  EXPECT_EQ(log.lines, (Lines{".Check file: System\\IR_STOPM.SRC",
                              "# " + kOld + "\\System\\IR_STOPM.SRC not found"}));
  EXPECT_EQ(run.context.SystemFile.FoundSourceFile, "");
  EXPECT_EQ(run.context.SystemFile.FoundDestFile, "");
}

TEST_F(CheckPair, MissingDestinationAfterTheSourceWasFound) {
  drive.Write(kOld + "\\System\\$CONFIG.DAT", "old");
  InWork("System\\$CONFIG.DAT", false);
  EXPECT_FALSE(CheckFilePair(run.context));
  EXPECT_EQ(log.lines, (Lines{".Check file: System\\$CONFIG.DAT",
                              ".Source file found:  " + kOld + "\\System\\$CONFIG.DAT",
                              "# " + kNew + "\\System\\$CONFIG.DAT not found"}));
  EXPECT_EQ(run.context.SystemFile.FoundSourceFile, "System\\$CONFIG.DAT");
  EXPECT_EQ(run.context.SystemFile.FoundDestFile, "");
}

// A folder of the file's name is no file; a hidden file is one.
TEST_F(CheckPair, AFolderIsNoFileAHiddenFileIs) {
  drive.Write(kOld + "\\System\\SPS.SUB", "old");
  ASSERT_TRUE(platform::SetAttributes(kOld + "\\System\\SPS.SUB", platform::kHidden));
  drive.MakeFolder(kNew + "\\System\\SPS.SUB");
  InWork("System\\SPS.SUB", false);
  EXPECT_FALSE(CheckFilePair(run.context));
  EXPECT_EQ(log.lines, (Lines{".Check file: System\\SPS.SUB",
                              ".Source file found:  " + kOld + "\\System\\SPS.SUB",
                              "# " + kNew + "\\System\\SPS.SUB not found"}));
}

using SystemFileSteps = ExchangeSteps;

TEST_F(SystemFileSteps, SpsSubSavesThenExchanges) {
  InWork("System\\SPS.SUB", true);
  UpgradeSpsSub(run.context);
  EXPECT_EQ(Calls(), (Lines{kOld + "\\System\\SPS.SUB| " + kUpg + "sps_sub_of.upg /TXT",
                            kNew + "\\System\\SPS.SUB | " + kUpg + "sps_sub_nf.upg /TXT"}));
  const std::string save = kOld + "\\System\\SPS.SUB (Controlfile: sps_sub_of.upg)";
  const std::string exchange = kNew + "\\System\\SPS.SUB (Controlfile: sps_sub_nf.upg)";
  EXPECT_EQ(log.lines, (Lines{". +++ Start: Save the UserFolds in Sourcefile: " + save,
                              ". +++ End: Save the UserFolds in Sourcefile: " + save,
                              ". +++ Start: Exchange the UserFolds in  Dest.-file: " + exchange,
                              ". +++ End: Exchange the UserFolds in  Dest.-file: " + exchange}));
}

TEST_F(SystemFileSteps, IrStopmSavesWithAGluedBar) {
  InWork("System\\IR_STOPM.SRC", true);
  UpgradeIrStopm(run.context);
  EXPECT_EQ(Calls(), (Lines{kOld + "\\System\\IR_STOPM.SRC|" + kUpg + "ir_stopm_of.upg /TXT",
                            kNew + "\\System\\IR_STOPM.SRC | " + kUpg + "ir_stopm_nf.upg /TXT"}));
  const std::string save = kOld + "\\System\\IR_STOPM.SRC (Controlfile: ir_stopm_of.upg)";
  const std::string exchange = kNew + "\\System\\IR_STOPM.SRC (Controlfile: ir_stopm_nf.upg)";
  EXPECT_EQ(log.lines, (Lines{". +++ Start: Save the UserFolds in Sourcefile: " + save,
                              ". +++ End: Save the UserFolds in Sourcefile: " + save,
                              ". +++ Start: Exchange the UserFolds in  Dest.-file: " + exchange,
                              ". +++ End: Exchange the UserFolds in  Dest.-file: " + exchange}));
}

TEST_F(SystemFileSteps, ConfigDatSavesTransfersExchangesAndMovesTheBar) {
  InWork("System\\$CONFIG.DAT", true);
  run.context.StdForm.Value = 1;
  UpgradeConfigDat(run.context);
  EXPECT_EQ(Calls(),
            (Lines{kOld + "\\System\\$CONFIG.DAT|" + kUpg + "Config_of.upg /TXT",
                   kNew + "\\System\\$CONFIG.DAT | " + kUpg + "Config_Cfile.upg |" + kOld +
                       "\\System\\$CONFIG.DAT/DAT",
                   kNew + "\\System\\$CONFIG.DAT | " + kUpg + "config_nf.upg /TXT"}));
  const std::string save = kOld + "\\System\\$CONFIG.DAT (Controlfile: Config_of.upg)";
  const std::string transfer =
      "Transfer all variables, descriped in -Config_Cfile.upg- from Sourcefile to Dest-file "
      "(Controlfile:Config_Cfile.upg)";
  const std::string exchange = kNew + "\\System\\$CONFIG.DAT (Controlfile: Config_nf.upg)";
  EXPECT_EQ(log.lines, (Lines{". +++ Start: Save the UserFolds in Sourcefile: " + save,
                              ". +++ End: Save the UserFolds in Sourcefile: " + save,
                              ". +++ Start: " + transfer, ". +++ End: " + transfer,
                              ". +++ Start: Exchange the UserFolds in  Dest.-file: " + exchange,
                              ". +++ End: Exchange the UserFolds in  Dest.-file: " + exchange}));
  EXPECT_EQ(log.bars, (std::vector<double>{1, 1, 100, 100, 200, 200}));
  EXPECT_EQ(run.context.StdForm.Value, 200);
}

TEST_F(SystemFileSteps, AFailedStartDoesNotStopTheNextStep) {
  InWork("System\\SPS.SUB", true);
  run.context.FoldexPath = "C:\\PROG\\Missing.exe";
  UpgradeSpsSub(run.context);
  const std::string save = kOld + "\\System\\SPS.SUB (Controlfile: sps_sub_of.upg)";
  const std::string exchange = kNew + "\\System\\SPS.SUB (Controlfile: sps_sub_nf.upg)";
  const std::string cannot = "# Can not start: C:\\PROG\\Missing.exe ";
  const std::string reason = " (No such file or directory)";
  EXPECT_EQ(log.lines,
            (Lines{". +++ Start: Save the UserFolds in Sourcefile: " + save,
                   cannot + kOld + "\\System\\SPS.SUB| " + kUpg + "sps_sub_of.upg /TXT" + reason,
                   ". +++ End: Save the UserFolds in Sourcefile: " + save,
                   ". +++ Start: Exchange the UserFolds in  Dest.-file: " + exchange,
                   cannot + kNew + "\\System\\SPS.SUB | " + kUpg + "sps_sub_nf.upg /TXT" + reason,
                   ". +++ End: Exchange the UserFolds in  Dest.-file: " + exchange}));
}

using TemplateSteps = ExchangeSteps;

TEST_F(TemplateSteps, SourceTemplate) {
  UpgradeFromVorgabeSrc(run.context, "Template\\Vorgabe.src", "Program\\Cell\\job.src");
  const std::string tmpl = "C:\\QVD\\ROBOTER\\Template\\Vorgabe.src";
  const std::string user = kNew + "\\Program\\Cell\\job.src";
  EXPECT_EQ(Calls(), (Lines{tmpl + "| " + kUpg + "Vorgabe_Src_of.upg /TXT",
                            user + " | " + kUpg + "Vorgabe_Src_nf.upg /TXT"}));
  EXPECT_EQ(log.lines,
            (Lines{". +++ Start: Save the Folds in: " + tmpl + "(Controlfile: Vorgabe_Src_of.upg)",
                   ". +++ End: Save the Folds in: " + tmpl + " (Controlfile: Vorgabe_Src_of.upg)",
                   ". +++ Start: Exchange the Folds in Dest.file: " + user +
                       " (Controlfile: Vorgabe_Src_nf.upg)",
                   ". +++ End: Exchange the Folds in Dest.file: " + user +
                       " (Controlfile: Vorgabe_Src_nf.upg)"}));
}

TEST_F(TemplateSteps, DataTemplate) {
  UpgradeFromVorgabeDat(run.context, "Template\\Vorgabe.dat", "Program\\job.dat");
  const std::string tmpl = "C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat";
  const std::string user = kNew + "\\Program\\job.dat";
  EXPECT_EQ(Calls(), (Lines{tmpl + "| " + kUpg + "Vorgabe_Dat_of.upg /TXT",
                            user + " | " + kUpg + "Vorgabe_Dat_nf.upg /TXT"}));
  EXPECT_EQ(log.lines,
            (Lines{". +++ Start: Save the Folds in" + tmpl + "(Controlfile: Vorgabe_Dat_of.upg)",
                   ". +++ End: Save the Folds in " + tmpl + "(Controlfile: Vorgabe_Dat_of.upg)",
                   ". +++ Start: Exchange the Folds in Dest.file: " + user +
                       "(Controlfile: Vorgabe_Dat_nf.upg)",
                   ". +++ End: Exchange the Folds in Dest.file: " + user +
                       "(Controlfile: Vorgabe_Dat_nf.upg)"}));
}

class KillFiles : public ::testing::Test {
 protected:
  void SetUp() override { drive.MakeFolder("C:\\UPG"); }
  bool Has(const std::string& name) const { return fs::exists(drive.Host("C:\\UPG\\" + name)); }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
};

TEST_F(KillFiles, NothingToDeleteLeavesTheFolderAlone) {
  drive.Write("C:\\UPG\\Config_of.upg", "c");
  drive.Write("C:\\UPG\\x.addx", "c");
  drive.MakeFolder("C:\\UPG\\folds.add");
  KillFilesByExtension(run.context, "C:\\UPG\\", "add");
  EXPECT_TRUE(Has("Config_of.upg"));
  EXPECT_TRUE(Has("x.addx"));
  EXPECT_TRUE(Has("folds.add"));
  EXPECT_EQ(run.lines(), Lines{});
}

TEST_F(KillFiles, DeletesOrdinaryAndReadOnlyFilesInAnyCase) {
  drive.Write("C:\\UPG\\a.add", "a");
  drive.Write("C:\\UPG\\B.ADD", "b");
  drive.Write("C:\\UPG\\c.add", "c");
  ASSERT_TRUE(platform::SetAttributes("C:\\UPG\\c.add", platform::kReadOnly));
  drive.Write("C:\\UPG\\keep.upg", "k");
  KillFilesByExtension(run.context, "C:\\UPG\\", "add");
  EXPECT_FALSE(Has("a.add"));
  EXPECT_FALSE(Has("B.ADD"));
  EXPECT_FALSE(Has("c.add"));
  EXPECT_TRUE(Has("keep.upg"));
  EXPECT_EQ(run.lines(), Lines{});
}

// Only ordinary files are looked for: hidden and system ones stay.
TEST_F(KillFiles, HiddenAndSystemFilesArePassedOver) {
  drive.Write("C:\\UPG\\hidden.add", "h");
  drive.Write("C:\\UPG\\system.add", "s");
  drive.Write("C:\\UPG\\plain.add", "p");
  ASSERT_TRUE(platform::SetAttributes("C:\\UPG\\hidden.add", platform::kHidden));
  ASSERT_TRUE(platform::SetAttributes("C:\\UPG\\system.add", platform::kSystem));
  KillFilesByExtension(run.context, "C:\\UPG\\", "add");
  EXPECT_TRUE(Has("hidden.add"));
  EXPECT_TRUE(Has("system.add"));
  EXPECT_FALSE(Has("plain.add"));
  EXPECT_EQ(run.lines(), Lines{});
}

// A file whose deletion fails does not stop the others from going. On
// POSIX a host name with a backslash is listed but cannot be reached by
// the system's path; on Windows a file that another writer holds open
// cannot be deleted.
TEST_F(KillFiles, AFileThatCannotBeDeletedDoesNotStopTheClearing) {
  drive.Write("C:\\UPG\\a.add", "a");
#ifdef _WIN32
  const std::string kept = drive.Host("C:\\UPG\\odd.add");
  std::ofstream held(kept);
  held << "x" << std::flush;
#else
  const std::string kept = drive.Host("C:\\UPG") + "/odd\\name.add";
  std::ofstream(kept) << "x";
#endif
  drive.Write("C:\\UPG\\z.add", "z");
  KillFilesByExtension(run.context, "C:\\UPG\\", "add");
  EXPECT_FALSE(Has("a.add"));
  EXPECT_FALSE(Has("z.add"));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_EQ(run.lines(), Lines{});
}

TEST_F(KillFiles, MissingFolderOrNoTrailingBackslash) {
  KillFilesByExtension(run.context, "C:\\NOWHERE\\", "add");
  drive.Write("C:\\UPG\\a.add", "a");
  KillFilesByExtension(run.context, "C:\\UPG", "add");
  EXPECT_FALSE(Has("a.add"));
  EXPECT_EQ(run.lines(), Lines{});
}

}  // namespace

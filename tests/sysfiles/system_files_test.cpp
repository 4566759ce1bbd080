// The system-file stage: which files are converted, in which order, with
// which log block and progress, and how it copes with failures.

#include "sysfiles/system_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "config56/version_check.h"
#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kUpg = "C:\\PROG\\Vantrel\\";
const std::string kSeparator(50, '.');

// Throws once, instead of writing the trigger line.
struct ThrowingLog : MemoryLog {
  std::string trigger;
  void LogWrite(const std::string& line) override {
    if (line == trigger) {
      trigger.clear();
      throw std::runtime_error("log full");
    }
    MemoryLog::LogWrite(line);
  }
};

Lines Block(const std::string& name, const Lines& inner) {
  Lines lines{kSeparator, ". - - - START CONVERT " + name + " - - -"};
  lines.insert(lines.end(), inner.begin(), inner.end());
  lines.push_back(". - - - END CONVERT " + name + " - - -");
  lines.push_back(kSeparator);
  return lines;
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Lines PairFound(const std::string& rel) {
  return {".Check file: " + rel, ".Source file found:  " + kOld + "\\" + rel,
          ".Destination file found: " + kNew + "\\" + rel};
}

Lines FoldSteps(const std::string& rel, const std::string& saveControl,
                const std::string& exchangeControl) {
  const std::string save = kOld + "\\" + rel + " (Controlfile: " + saveControl + ")";
  const std::string exchange = kNew + "\\" + rel + " (Controlfile: " + exchangeControl + ")";
  return {". +++ Start: Save the UserFolds in Sourcefile: " + save,
          ". +++ End: Save the UserFolds in Sourcefile: " + save,
          ". +++ Start: Exchange the UserFolds in  Dest.-file: " + exchange,
          ". +++ End: Exchange the UserFolds in  Dest.-file: " + exchange};
}

Lines SpsSubConverted() {
  return Join({PairFound("System\\SPS.SUB"),
               FoldSteps("System\\SPS.SUB", "sps_sub_of.upg", "sps_sub_nf.upg")});
}

Lines IrStopmConverted() {
  return Join({PairFound("System\\IR_STOPM.SRC"),
               FoldSteps("System\\IR_STOPM.SRC", "ir_stopm_of.upg", "ir_stopm_nf.upg")});
}

Lines ConfigDatConverted() {
  const std::string transfer =
      "Transfer all variables, descriped in -Config_Cfile.upg- from Sourcefile to Dest-file "
      "(Controlfile:Config_Cfile.upg)";
  Lines steps = FoldSteps("System\\$CONFIG.DAT", "Config_of.upg", "Config_nf.upg");
  steps.insert(steps.begin() + 2, {". +++ Start: " + transfer, ". +++ End: " + transfer});
  return Join({PairFound("System\\$CONFIG.DAT"), steps});
}

// What the version detection writes for a source that is no 5.x file.
const Lines kVersionChecked = {
    ". ", ". Check the both Files, is here a additional upgrade from V5.x to V6.x needed?",
    ". The $config.dat in SOURCE is NOT from V5.x  --> additional upgrade from V5.x to V6.x is "
    "NOT necessary"};

const Lines kConfigCalls = {
    kOld + "\\System\\$CONFIG.DAT|" + kUpg + "Config_of.upg /TXT",
    kNew + "\\System\\$CONFIG.DAT | " + kUpg + "Config_Cfile.upg |" + kOld +
        "\\System\\$CONFIG.DAT/DAT",
    kNew + "\\System\\$CONFIG.DAT | " + kUpg + "config_nf.upg /TXT"};
const Lines kSpsCalls = {kOld + "\\System\\SPS.SUB| " + kUpg + "sps_sub_of.upg /TXT",
                         kNew + "\\System\\SPS.SUB | " + kUpg + "sps_sub_nf.upg /TXT"};
const Lines kIrStopmCalls = {kOld + "\\System\\IR_STOPM.SRC|" + kUpg + "ir_stopm_of.upg /TXT",
                             kNew + "\\System\\IR_STOPM.SRC | " + kUpg + "ir_stopm_nf.upg /TXT"};

class SystemFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::MakeProgramFolder(drive, "C:\\PROG", true);
    for (const char* name : {"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"}) {
      drive.Write(kOld + "\\System\\" + name, "DEFDAT OLD\r\nENDDAT\r\n");
      drive.Write(kNew + "\\System\\" + name, "DEFDAT NEW\r\nENDDAT\r\n");
    }
    drive.Write(kOld + "\\Mada\\$machine.dat", "DEFDAT $MACHINE\r\nENDDAT\r\n");
    Context& context = run.context;
    context.Arg.Source = kOld;
    context.Arg.Dest = kNew;
    context.Arg.Template = "C:\\QVD\\ROBOTER";
    context.StdForm.OnRepaint = [this](const ProgressWindow& window) {
      labels.push_back(window.Information);
    };
  }
  void List(std::initializer_list<const char*> names) {
    for (const char* name : names) run.context.SystemFilesList.Add(name);
  }
  Lines Calls() const { return testenv::RecordedFoldexCalls(drive, "C:\\PROG"); }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
  Lines labels;
};

TEST_F(SystemFiles, AllListedAreConvertedInOrder) {
  List({"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"});
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(run.lines(), Join({Block("$CONFIG.DAT", Join({ConfigDatConverted(), kVersionChecked})),
                               Block("SPS.SUB", SpsSubConverted()),
                               Block("IR_STOPM.SRC", IrStopmConverted())}));
  EXPECT_EQ(Calls(), Join({kConfigCalls, kSpsCalls, kIrStopmCalls}));
  EXPECT_EQ(labels, (Lines{"Upgrade SYSTEM FILE: $CONFIG.DAT", "Upgrade SYSTEM FILE: SPS.SUB",
                           "Upgrade SYSTEM FILE: IR_STOPM.SRC"}));
  EXPECT_EQ(run.context.StdForm.Value, 900);
  EXPECT_EQ(run.log.counter, 0);
}

TEST_F(SystemFiles, AllBoxesClearedWritesNothing) {
  List({"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"});
  run.context.UI.DeselAll_Click();
  run.context.StdForm.Value = 42;
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(run.lines(), Lines{});
  EXPECT_EQ(Calls(), Lines{});
  EXPECT_EQ(labels, Lines{});
  EXPECT_EQ(run.context.StdForm.Value, 42);
}

TEST_F(SystemFiles, FilesTheIniDoesNotNameAreOnlyWarnedAbout) {
  List({"SPS.SUB"});
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(run.lines(),
            Join({Block("$CONFIG.DAT",
                        {"! - System\\$CONFIG.DAT - is not upgradet separetly"}),
                  Block("SPS.SUB", SpsSubConverted()),
                  Block("IR_STOPM.SRC",
                        {"! - System\\IR_STOPM.SRC - is not upgradet separetly"})}));
  EXPECT_EQ(Calls(), kSpsCalls);
  EXPECT_EQ(run.context.StdForm.Value, 900);
  EXPECT_EQ(run.log.counter, 0);
}

TEST_F(SystemFiles, OnlyTickedFilesAndTheirBarValue) {
  List({"$config.dat", "SPS.SUB"});
  run.context.UI.SPS_SUB = 0;
  run.context.UI.IR_STOPM_SRC = 0;
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(run.lines(), Block("$CONFIG.DAT", Join({ConfigDatConverted(), kVersionChecked})));
  EXPECT_EQ(Calls(), kConfigCalls);
  EXPECT_EQ(run.context.StdForm.Value, 300);
}

TEST_F(SystemFiles, AMissingFileIsNotConvertedAndTheNextOneIs) {
  List({"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"});
  run.context.UI.IR_STOPM_SRC = 0;
  std::filesystem::remove(drive.Host(kOld + "\\System\\$CONFIG.DAT"));
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(run.lines(),
            Join({Block("$CONFIG.DAT", {".Check file: System\\$CONFIG.DAT",
                                        "# " + kOld + "\\System\\$CONFIG.DAT not found",
                                        "# $CONFIG.DAT is not converted"}),
                  Block("SPS.SUB", SpsSubConverted())}));
  EXPECT_EQ(Calls(), kSpsCalls);
  EXPECT_EQ(run.log.counter, 2);
}

// A failing progress window must not end the stage; the file it failed for
// is left as it is, and the next file is converted again.
TEST_F(SystemFiles, AFailingProgressWindowLeavesOnlyThatFileAlone) {
  List({"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"});
  run.context.UI.IR_STOPM_SRC = 0;
  bool thrown = false;
  run.context.StdForm.OnRepaint = [&](const ProgressWindow&) {
    if (!thrown) {
      thrown = true;
      throw std::runtime_error("no window");
    }
  };
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(run.lines(),
            Join({Block("$CONFIG.DAT",
                        {"! $CONFIG.DAT is not converted,--> no entry in - vantrel.kud -"}),
                  Block("SPS.SUB", SpsSubConverted())}));
  EXPECT_EQ(Calls(), kSpsCalls);
  EXPECT_EQ(run.context.StdForm.Value, 600);
}

TEST_F(SystemFiles, AFailingProgressWindowForAnUnlistedFileGivesTheListWarning) {
  List({});
  run.context.UI.CONFIG_DAT = 0;
  run.context.UI.IR_STOPM_SRC = 0;
  run.context.StdForm.OnRepaint = [](const ProgressWindow&) {
    throw std::runtime_error("no window");
  };
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(run.lines(), Block("SPS.SUB", {"! - System\\SPS.SUB - is not upgradet separetly"}));
}

TEST_F(SystemFiles, AnUnexpectedFailureInOneFileIsAnErrorAndTheNextFileGoesOn) {
  List({"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"});
  run.context.UI.CONFIG_DAT = 0;
  ThrowingLog log;
  log.trigger = ".Check file: System\\SPS.SUB";
  run.context.Lumo = &log;
  ConvertSystemFiles(run.context, CheckConfigVersion);
  EXPECT_EQ(log.lines, Join({Block("SPS.SUB", {"# Converting SPS.SUB failed: log full"}),
                             Block("IR_STOPM.SRC", IrStopmConverted())}));
  EXPECT_EQ(Calls(), kIrStopmCalls);
  EXPECT_EQ(run.context.StdForm.Value, 900);
}

}  // namespace

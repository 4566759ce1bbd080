// The system-file stage inside a whole batch run: with a stand-in that
// records the exchange program's calls, and with the real exchange program
// and the shipped control files on the sample installations.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kUpg = "C:\\PROG\\Vantrel\\";
const std::string kCommand = kOld + "|" + kNew;
const std::string kSeparator(50, '.');

// The lines the run writes between its system-file stage's start and end.
Lines SystemStage(const Lines& log) {
  auto start = std::find(log.begin(), log.end(), ". - - - START CONVERTING SYSTEMFILES - - -");
  auto end = std::find(log.begin(), log.end(), ". - - - END CONVERTING SYSTEMFILES - - -");
  if (start == log.end() || end == log.end() || end < start) return {"(no system-file stage)"};
  return Lines(start + 1, end);
}

Lines LogOf(const testenv::ScratchDrive& drive) {
  return testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
}

Lines Steps(const std::string& name, const std::string& saveControl,
            const std::string& exchangeControl, const Lines& between, const Lines& after) {
  const std::string rel = "System\\" + name;
  const std::string save = kOld + "\\" + rel + " (Controlfile: " + saveControl + ")";
  const std::string exchange = kNew + "\\" + rel + " (Controlfile: " + exchangeControl + ")";
  Lines lines{kSeparator,
              ". - - - START CONVERT " + name + " - - -",
              ".Check file: " + rel,
              ".Source file found:  " + kOld + "\\" + rel,
              ".Destination file found: " + kNew + "\\" + rel,
              ". +++ Start: Save the UserFolds in Sourcefile: " + save,
              ". +++ End: Save the UserFolds in Sourcefile: " + save};
  lines.insert(lines.end(), between.begin(), between.end());
  lines.push_back(". +++ Start: Exchange the UserFolds in  Dest.-file: " + exchange);
  lines.push_back(". +++ End: Exchange the UserFolds in  Dest.-file: " + exchange);
  lines.insert(lines.end(), after.begin(), after.end());
  lines.push_back(". - - - END CONVERT " + name + " - - -");
  lines.push_back(kSeparator);
  return lines;
}

TEST(SystemStage, RecordedCallsAndLogOfABatchRun) {
  testenv::ScratchDrive drive;
  testenv::MakeProgramFolder(drive, "C:\\PROG", true);
  for (const char* name : {"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"}) {
    drive.Write(kOld + "\\System\\" + name, "DEFDAT OLD\r\nENDDAT\r\n");
    drive.Write(kNew + "\\System\\" + name, "DEFDAT NEW\r\nENDDAT\r\n");
  }
  drive.Write(kOld + "\\Mada\\$machine.dat", "DEFDAT $MACHINE\r\nENDDAT\r\n");
  drive.MakeFolder(kOld + "\\Program");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.src", "DEF X()\r\nEND\r\n");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat", "DEFDAT X\r\nENDDAT\r\n");
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
  testenv::BatchRun run("C:\\PROG");
  run.Run(kCommand);

  const std::string transfer =
      "Transfer all variables, descriped in -Config_Cfile.upg- from Sourcefile to Dest-file "
      "(Controlfile:Config_Cfile.upg)";
  Lines expected = Steps("$CONFIG.DAT", "Config_of.upg", "Config_nf.upg",
                         {". +++ Start: " + transfer, ". +++ End: " + transfer},
                         {". ",
                          ". Check the both Files, is here a additional upgrade from V5.x to "
                          "V6.x needed?",
                          ". The $config.dat in SOURCE is NOT from V5.x  --> additional upgrade "
                          "from V5.x to V6.x is NOT necessary"});
  for (const Lines& more : {Steps("SPS.SUB", "sps_sub_of.upg", "sps_sub_nf.upg", {}, {}),
                            Steps("IR_STOPM.SRC", "ir_stopm_of.upg", "ir_stopm_nf.upg", {}, {})})
    expected.insert(expected.end(), more.begin(), more.end());
  EXPECT_EQ(SystemStage(LogOf(drive)), expected);

  Lines calls = testenv::RecordedFoldexCalls(drive, "C:\\PROG");
  calls.resize(std::min<std::size_t>(calls.size(), 7));
  const std::string config = "\\System\\$CONFIG.DAT";
  EXPECT_EQ(calls,
            (Lines{kOld + config + "|" + kUpg + "Config_of.upg /TXT",
                   kNew + config + " | " + kUpg + "Config_Cfile.upg |" + kOld + config + "/DAT",
                   kNew + config + " | " + kUpg + "config_nf.upg /TXT",
                   kOld + "\\System\\SPS.SUB| " + kUpg + "sps_sub_of.upg /TXT",
                   kNew + "\\System\\SPS.SUB | " + kUpg + "sps_sub_nf.upg /TXT",
                   kOld + "\\System\\IR_STOPM.SRC|" + kUpg + "ir_stopm_of.upg /TXT",
                   kNew + "\\System\\IR_STOPM.SRC | " + kUpg + "ir_stopm_nf.upg /TXT"}));
}

// The fold of the given name with its marker lines, or "" when none.
std::string FoldOf(const std::string& text, const std::string& name) {
  std::size_t start = text.find(";FOLD " + name + "\r\n");
  const std::string close = ";ENDFOLD (" + name + ")\r\n";
  std::size_t end = text.find(close, start);
  if (start == std::string::npos || end == std::string::npos) return "";
  return text.substr(start, end + close.size() - start);
}

// The line that begins with key, with its line end, or "" when none.
std::string LineOf(const std::string& text, const std::string& key) {
  std::size_t start = text.find("\r\n" + key);
  if (start == std::string::npos) return "";
  start += 2;
  return text.substr(start, text.find("\r\n", start) + 2 - start);
}

// The customer's folds and values of the old system files must be in the
// new ones afterwards, the new files' own folds kept, and the saved folds
// gone from the control folder.
TEST(SystemStage, RealExchangeProgramCarriesTheCustomerData) {
  testenv::ScratchDrive drive;
  testenv::CopyTree(std::string(VANTREL_SOURCE_DIR) + "/examples/drive_c", drive.root());
  testenv::MakeProgramFolder(drive, "C:\\PROG", false);
  const std::string oldSps = drive.Read(kOld + "\\System\\SPS.SUB");
  const std::string oldConfig = drive.Read(kOld + "\\System\\$CONFIG.DAT");
  const std::string newSps = drive.Read(kNew + "\\System\\SPS.SUB");
  const Lines customerFolds = {FoldOf(oldSps, "USER DECL"), FoldOf(oldSps, "USER INIT"),
                               FoldOf(oldSps, "USER PLC"), FoldOf(oldConfig, "USER GLOBALS")};
  const std::string oldBase = LineOf(oldConfig, "BASE_DATA[1]=");
  const std::string systemDecl = FoldOf(newSps, "SYSTEM DECL");
  for (const std::string& fold : customerFolds) ASSERT_NE(fold, "");
  ASSERT_NE(oldBase, "");
  ASSERT_NE(systemDecl, "");
  ASSERT_NE(LineOf(drive.Read(kNew + "\\System\\$CONFIG.DAT"), "BASE_DATA[1]="), oldBase);
  ASSERT_NE(FoldOf(newSps, "USER DECL"), customerFolds[0]);

  testenv::BatchRun run("C:\\PROG");
  run.Run(kCommand);

  for (const std::string& line : SystemStage(LogOf(drive))) {
    EXPECT_NE(line.rfind("# Can not start", 0), 0u) << line;
    EXPECT_NE(line.rfind("! Foldex.exe ended", 0), 0u) << line;
  }
  const std::string sps = drive.Read(kNew + "\\System\\SPS.SUB");
  const std::string config = drive.Read(kNew + "\\System\\$CONFIG.DAT");
  EXPECT_EQ((Lines{FoldOf(sps, "USER DECL"), FoldOf(sps, "USER INIT"), FoldOf(sps, "USER PLC"),
                   FoldOf(config, "USER GLOBALS")}),
            customerFolds);
  EXPECT_EQ(FoldOf(sps, "SYSTEM DECL"), systemDecl);
  EXPECT_EQ(LineOf(config, "BASE_DATA[1]="), oldBase);

  std::vector<std::string> added;
  for (const auto& entry : fs::directory_iterator(drive.Host("C:\\PROG\\Vantrel")))
    if (entry.path().extension() == ".add") added.push_back(entry.path().filename().string());
  EXPECT_EQ(added, std::vector<std::string>{});
}

}  // namespace

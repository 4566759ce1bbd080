// The built exchange program's exit codes as the upgrade relies on them:
// 0 the step is done, 1 the step failed and its target (the store, for a
// save) is as it was or, for a save, gone; 2 a command line of no form.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::optional<std::string>>;  // nullopt: no such file

const std::string kControl = "C:\\P\\Vantrel\\";
const std::string kTarget = "C:\\NEW\\A.SRC";
const std::string kSource = "C:\\OLD\\A.SRC";
const std::string kStore = kControl + "vorgabe_src.add";

struct ExitCodeCase {
  const char* what;
  Files before;
  std::string argument;
  int exitCode;
  Files after;
};

std::string Exchange() { return kTarget + " | " + kControl + "Vorgabe_Src_nf.upg /TXT"; }
std::string Save() { return kSource + "| " + kControl + "Vorgabe_Src_of.upg /TXT"; }
std::string Transfer() {
  return kTarget + " | " + kControl + "Config_Cfile.upg |" + kSource + "/DAT";
}
std::string Declarations() { return kTarget + " | " + kControl + "Config_5x-6x.upg/DAT"; }

const std::string kIniFold = ";FOLD SYSTEM INI\r\n new ini\r\n;ENDFOLD\r\n";
const std::string kHomeFold = ";FOLD PTP HOME\r\n new home\r\n;ENDFOLD\r\n";
const std::string kOldUser = "DEF A()\r\n;FOLD SYSTEM INI\r\n old\r\n;ENDFOLD\r\nEND\r\n";
const std::string kNewUser = "DEF A()\r\n;FOLD SYSTEM INI\r\n new ini\r\n;ENDFOLD\r\nEND\r\n";
const std::string kOldStore = "; Foldex store: 1 saved\r\n;FOLD OLD\r\n;ENDFOLD\r\n";
const std::string kUnpaired = "DEF A()\r\n;FOLD SYSTEM INI\r\nEND\r\n";

const ExitCodeCase kCases[] = {
    {"exchange, every saved fold has its twin",
     {{kStore, "; Foldex store: 1 saved\r\n" + kIniFold}, {kTarget, kOldUser}},
     Exchange(),
     0,
     {{kTarget, kNewUser}}},
    {"exchange, the target lacks one saved fold",
     {{kStore, "; Foldex store: 2 saved\r\n" + kIniFold + kHomeFold}, {kTarget, kOldUser}},
     Exchange(),
     0,
     {{kTarget, kNewUser}}},
    {"exchange without a store", {{kTarget, kOldUser}}, Exchange(), 1, {{kTarget, kOldUser}}},
    {"exchange into a target whose markers do not pair up",
     {{kStore, "; Foldex store: 1 saved\r\n" + kIniFold}, {kTarget, kUnpaired}},
     Exchange(),
     1,
     {{kTarget, kUnpaired}}},
    {"exchange into a missing target",
     {{kStore, "; Foldex store: 1 saved\r\n" + kIniFold}},
     Exchange(),
     1,
     {{kTarget, {}}}},
    {"save",
     {{kSource, "DEF A()\r\n" + kIniFold + "END\r\n"}, {kStore, kOldStore}},
     Save(),
     0,
     {{kStore, "; Foldex store: 1 saved\r\n" + kIniFold}}},
    {"save from a source whose markers do not pair up",
     {{kSource, kUnpaired}, {kStore, kOldStore}},
     Save(),
     1,
     {{kStore, {}}}},
    {"save naming a fold the source lacks",
     {{kControl + "home_of.upg", "ACTION=SAVE\r\nSTORE=home.add\r\nFOLD=PTP HOME\r\n"},
      {kControl + "home.add", kOldStore},
      {kSource, "DEF A()\r\n" + kIniFold + "END\r\n"}},
     kSource + "| " + kControl + "home_of.upg /TXT",
     1,
     {{kControl + "home.add", {}}}},
    {"transfer, the target lacks one variable",
     {{kSource, "BASE_DATA[1]={X 1.0}\r\nBASE_DATA[40]={X 2.0}\r\n"},
      {kTarget, "BASE_DATA[1]={X 0.0}\r\n"}},
     Transfer(),
     0,
     {{kTarget, "BASE_DATA[1]={X 1.0}\r\n"}}},
    {"transfer, a value would change the folds",
     {{kSource, "BASE_NAME[1,]=\"A\" ;FOLD X\r\nTOOL_DATA[1]={X 1.0}\r\n"},
      {kTarget, "BASE_NAME[1,]=\" \"\r\nTOOL_DATA[1]={X 0.0}\r\n"}},
     Transfer(),
     1,
     {{kTarget, "BASE_NAME[1,]=\" \"\r\nTOOL_DATA[1]={X 0.0}\r\n"}}},
    {"declarations",
     {{kControl + "Config_5x-6x.upg", "INT MAX_BASE=32\r\n"},
      {kTarget, "DECL INT MAX_BASE=16\r\nENDDAT\r\n"}},
     Declarations(),
     0,
     {{kTarget, "DECL INT MAX_BASE=32\r\nENDDAT\r\n"}}},
    {"declarations, a line that is no definition",
     {{kControl + "Config_5x-6x.upg", "DECL INT\r\nINT MAX_BASE=32\r\n"},
      {kTarget, "DECL INT MAX_BASE=16\r\nENDDAT\r\n"}},
     Declarations(),
     1,
     {{kTarget, "DECL INT MAX_BASE=16\r\nENDDAT\r\n"}}},
    {"a command line of no form", {{kTarget, kOldUser}}, "no bars here", 2, {{kTarget, kOldUser}}},
};

TEST(FoldexExitCodes, ZeroIsDoneOneLeavesTheTargetAsItWas) {
  for (const ExitCodeCase& c : kCases) {
    SCOPED_TRACE(c.what);
    testenv::ScratchDrive drive;
    drive.MakeFolder("C:\\P");
    fs::copy(fs::path(testenv::BuiltProgramFolder()) / "Vantrel", drive.Host("C:\\P\\Vantrel"),
             fs::copy_options::recursive);
    for (const auto& [path, bytes] : c.before) drive.Write(path, *bytes);
    std::string errors;
    platform::RunResult run =
        platform::RunAndCapture(std::string(VANTREL_BIN_DIR) + "/Foldex.exe", c.argument, errors);
    ASSERT_TRUE(run.started) << run.reason;
    EXPECT_EQ(run.exitCode, c.exitCode) << errors;
    // A step that is done has nothing to say.
    EXPECT_EQ(errors.empty(), c.exitCode == 0) << errors;
    for (const auto& [path, bytes] : c.after) {
      EXPECT_EQ(drive.Exists(path), bytes.has_value()) << path;
      if (bytes && drive.Exists(path)) {
        EXPECT_EQ(drive.Read(path), *bytes) << path;
      }
    }
  }
}

}  // namespace

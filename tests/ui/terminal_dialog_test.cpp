// The settings dialog on a terminal, driven by scripted input lines.

#include "ui/terminal_dialog.h"

#include <gtest/gtest.h>

#include <deque>

#include "app/startup.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kLog = "C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log";

const std::string kClearedForm =
    "\nSettings\n"
    "  Path Settings\n"
    "    1  Source :       C:\\QVD_OLDINST\\QVD\\R1\n"
    "    2  Destination :  C:\\QVD\\ROBOTER\\QVD\\R1\n"
    "  Files to upgrade\n"
    "    3  [ ] $CONFIG.DAT\n"
    "    4  [ ] SPS.SUB\n"
    "    5  [ ] IR_STOPM.SRC\n"
    "    6  [ ] all Userfiles\n"
    "    a  Select All      d  Deselect All\n"
    "    r  Run             x  Exit\n";

// Typed lines in, everything written collected.
struct ScriptedConsole {
  std::deque<std::string> input;
  std::string output;
  Console console{[this](std::string& line) {
                    if (input.empty()) return false;
                    line = input.front();
                    input.pop_front();
                    return true;
                  },
                  [this](const std::string& text) { output += text; }};
};

class TerminalDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::MakeProgramFolder(drive, "C:\\PROG", true);
    drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
    StartInteractive(run.context);
  }
  int Dialog(std::deque<std::string> lines) {
    script.input = std::move(lines);
    return RunTerminalDialog(run.context, script.console);
  }
  MainDialog& ui() { return run.context.UI; }

  ScratchDrive drive;
  testenv::BatchRun run{"C:\\PROG"};
  ScriptedConsole script;
};

TEST(TerminalForm, ShowsThePathsAndTheBoxesInFocusOrder) {
  MainDialog dialog;
  dialog.Form_Load();
  EXPECT_EQ(DialogForm(dialog), kClearedForm);
  dialog.SPS_SUB = 1;
  dialog.Userfiles = 2;  // only the value 1 counts as ticked
  std::string form = DialogForm(dialog);
  EXPECT_NE(form.find("    4  [x] SPS.SUB\n"), std::string::npos);
  EXPECT_NE(form.find("    6  [ ] all Userfiles\n"), std::string::npos);
}

TEST(TerminalForm, MessageBoxShowsTitleIconAndLinesThenWaitsForEnter) {
  ScriptedConsole script;
  script.input = {"", "next"};
  ShowConsoleMessage(script.console, "2 Error(s) occurred !\r\n\r\nFor details see logfile: C:\\L.log",
                     MessageIcon::kCritical);
  EXPECT_EQ(script.output,
            "\nVantrel - Error\n"
            "  2 Error(s) occurred !\n"
            "  \n"
            "  For details see logfile: C:\\L.log\n"
            "OK (Enter) ");
  EXPECT_EQ(script.input.size(), 1u);  // it read the one Enter
  script.output.clear();
  ShowConsoleMessage(script.console, "Source Path not found: C:\\X ", MessageIcon::kNone);
  EXPECT_EQ(script.output, "\nVantrel\n  Source Path not found: C:\\X \nOK (Enter) ");
}

TEST_F(TerminalDialogTest, StartsWithTheDefaultsAndAllBoxesClearedAndEndsWithTheInput) {
  EXPECT_EQ(Dialog({}), 0);
  EXPECT_EQ(script.output, kClearedForm + "Choice: \n");
  EXPECT_FALSE(run.context.BatchMode);
}

TEST_F(TerminalDialogTest, APathIsKeptWithEnterOrTypedAnew) {
  EXPECT_EQ(Dialog({"1", "D:\\Old Inst ", "2", ""}), 0);
  EXPECT_EQ(ui().SourcePath, "D:\\Old Inst ");  // as typed, blanks too
  EXPECT_EQ(ui().DestPath, kNew);
  EXPECT_NE(script.output.find("Choice: Source : [C:\\QVD_OLDINST\\QVD\\R1] \nSettings\n"),
            std::string::npos);
  EXPECT_NE(script.output.find("    1  Source :       D:\\Old Inst \n"), std::string::npos);
  EXPECT_NE(script.output.find("Choice: Destination : [C:\\QVD\\ROBOTER\\QVD\\R1] \nSettings\n"),
            std::string::npos);
}

TEST_F(TerminalDialogTest, BoxesAreToggledSelectedAndDeselected) {
  Dialog({"3", "6", "6", "5"});
  EXPECT_EQ(ui().CONFIG_DAT, 1);
  EXPECT_EQ(ui().SPS_SUB, 0);
  EXPECT_EQ(ui().IR_STOPM_SRC, 1);
  EXPECT_EQ(ui().Userfiles, 0);
  EXPECT_NE(script.output.find("    3  [x] $CONFIG.DAT\n    4  [ ] SPS.SUB\n    5  [x] IR_STOPM.SRC\n"
                               "    6  [ ] all Userfiles\n"),
            std::string::npos);
  Dialog({"A"});
  EXPECT_TRUE(ui().CONFIG_DAT + ui().SPS_SUB + ui().IR_STOPM_SRC + ui().Userfiles == 4);
  Dialog({" d "});
  EXPECT_FALSE(ui().Checkval());
}

TEST_F(TerminalDialogTest, UnknownChoicesGetAHint) {
  Dialog({"", "7", "run"});
  std::string hint = "Choice: Type 1 to 6, a, d, r or x, then Enter.\n";
  EXPECT_EQ(script.output, kClearedForm + hint + hint + hint + "Choice: \n");
}

TEST_F(TerminalDialogTest, ExitEndsWithExitCode0AndReadsNoFurther) {
  EXPECT_EQ(Dialog({"x", "3"}), 0);
  EXPECT_EQ(script.input.size(), 1u);
  EXPECT_EQ(ui().CONFIG_DAT, 0);
}

TEST_F(TerminalDialogTest, RunValidatesWithTheDialogsMessages) {
  Dialog({"r", ""});
  EXPECT_NE(script.output.find("Choice: \nVantrel - Information\n  Nothing selected !\nOK (Enter) "
                               "\nSettings\n"),
            std::string::npos);
  script.output.clear();
  Dialog({"a", "1", "C:\\Nowhere", "r", ""});
  EXPECT_NE(script.output.find("\nVantrel\n  Source Path not found: C:\\Nowhere\nOK (Enter) "),
            std::string::npos);
  EXPECT_FALSE(drive.Exists(kLog));
}

TEST_F(TerminalDialogTest, RunShowsTheEndReportAndOffersTheDialogAgain) {
  drive.MakeFolder(kOld + "\\System");
  drive.MakeFolder(kOld + "\\Program");
  drive.MakeFolder(kNew + "\\System");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.src", "");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat", "");
  EXPECT_EQ(Dialog({"6", "r", "r", "x"}), 0);
  std::string report = "Choice: \nRun ended with 0 error(s). Log: " + drive.Host(kLog) + "\n" +
                       "Backup: " + drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel-backup-");
  std::size_t first = script.output.find(report);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(script.output.find(report, first + 1), std::string::npos);  // a second run
  EXPECT_TRUE(drive.Exists(kLog));
  EXPECT_TRUE(ui().Enabled);
}

TEST_F(TerminalDialogTest, ErrorsOfARunAreReportedInAMessageBoxFirst) {
  drive.MakeFolder(kOld + "\\System");
  drive.MakeFolder(kOld + "\\Program");
  drive.MakeFolder(kNew + "\\System");
  drive.MakeFolder("C:\\QVD\\ROBOTER\\Template");
  // No template files: the user-file stage reports them in a box of its own.
  EXPECT_EQ(Dialog({"6", "r", "", "", "x"}), 0);
  std::string both = "C:\\QVD\\ROBOTER\\Template\\Vorgabe.src OR C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat";
  std::string expected = "\nVantrel - Error\n  File not found:" + both +
                         "\nOK (Enter) \nVantrel - Error\n  2 Error(s) occurred !\n  \n"
                         "  For details see logfile: " + kLog + "\nOK (Enter) \n"
                         "Run ended with 2 error(s). Log: " + drive.Host(kLog) + "\n";
  EXPECT_NE(script.output.find(expected), std::string::npos) << script.output;
}

}  // namespace

// The dialog's Run button and interactive runs.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/run.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";

struct Message {
  std::string text;
  MessageIcon icon;
  bool operator==(const Message&) const = default;
};

class Interactive : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::LayEmptyInstallations(drive);
    drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.src", "");
    drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat", "");
    Context& context = run.context;
    context.BatchMode = false;
    context.StdForm.Load();
    context.UI.Form_Load();
    context.UI.SourcePath = kOld;
    context.UI.DestPath = kNew;
    context.ShowMessageBox = [this](const std::string& text, MessageIcon icon) {
      messages.push_back({text, icon});
    };
  }
  Lines Log() const {
    return testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log"));
  }

  ScratchDrive drive;
  testenv::BatchRun run{"C:\\PROG"};
  std::vector<Message> messages;
};

TEST_F(Interactive, NothingSelectedStartsNothingEvenWithWrongPaths) {
  run.context.UI.SourcePath = "C:\\NOWHERE";
  run.context.UI.Run_Click(run.context);
  EXPECT_EQ(messages, (std::vector<Message>{{"Nothing selected !", MessageIcon::kInformation}}));
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log"));
}

TEST_F(Interactive, MissingFoldersAreNamedAsTyped) {
  run.context.UI.SelAll_Click();
  run.context.UI.SourcePath = "C:\\Nowhere ";
  run.context.UI.Run_Click(run.context);
  run.context.UI.SourcePath = kOld;
  run.context.UI.DestPath = "C:\\Gone";
  run.context.UI.Run_Click(run.context);
  EXPECT_EQ(messages, (std::vector<Message>{{"Source Path not found: C:\\Nowhere ", MessageIcon::kNone},
                                            {"Destination Path not found: C:\\Gone", MessageIcon::kNone}}));
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log"));
}

TEST_F(Interactive, EqualPathsWarnAndTheRunRefusesThem) {
  run.context.UI.SelAll_Click();
  run.context.UI.DestPath = "c:\\qvd_oldinst\\qvd\\r1";
  run.context.UI.Run_Click(run.context);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], (Message{"Source Path = Destination Path", MessageIcon::kCritical}));
  EXPECT_EQ(messages[1].text, "1 Error(s) occurred !\r\n\r\nFor details see logfile: "
                              "C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log");
  Lines log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "# ERROR: source path = destination path");
}

TEST_F(Interactive, RunWithoutErrorsEndsSilentlyAndTheDialogStays) {
  run.context.UI.SelAll_Click();
  run.context.UI.CONFIG_DAT = 0;
  run.context.UI.SPS_SUB = 0;
  run.context.UI.IR_STOPM_SRC = 0;
  run.context.UI.Run_Click(run.context);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(run.context.ErrorCount, 0);
  EXPECT_FALSE(run.context.StdForm.Visible);
  Lines log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), ".Transferring File/Folder Attributes");
  EXPECT_EQ(run.context.UI.Userfiles, 1);  // the boxes keep their state
}

TEST_F(Interactive, RunWithErrorsShowsTheirCount) {
  run.context.UI.SelAll_Click();
  fs::remove_all(drive.Host(kNew + "\\System"));
  drive.MakeFolder(kNew + "\\System");
  run.context.UI.Run_Click(run.context);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(messages[0].text.substr(messages[0].text.find(' ')),
            " Error(s) occurred !\r\n\r\nFor details see logfile: "
            "C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log");
  EXPECT_EQ(std::to_string(run.context.ErrorCount), messages[0].text.substr(0, messages[0].text.find(' ')));
}

// Where the front end asks for it, the end message carries the summary: in
// a box of its own after a clean run, below the error report otherwise.
TEST_F(Interactive, TheSummaryGoesIntoTheEndMessageWhereAskedFor) {
  run.context.SummaryInEndMessage = true;
  run.context.UI.Userfiles = 1;
  run.context.UI.Run_Click(run.context);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].icon, MessageIcon::kInformation);
  const std::string& summary = messages[0].text;
  EXPECT_EQ(summary.rfind("System files upgraded: 0\r\nSystem files not upgraded: 0\r\n"
                          "Migration 5.x to 6.x: not run\r\n", 0),
            0u);
  EXPECT_NE(summary.find("\r\nErrors: 0, warnings: "), std::string::npos) << summary;
  EXPECT_NE(summary.find("\r\nLog: " + drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log") +
                         "\r\nBackup: "),
            std::string::npos);
  EXPECT_EQ(summary.find("\r\n\r\n"), std::string::npos);
  EXPECT_NE(summary.substr(summary.size() - 2), "\r\n");
  for (std::size_t at = summary.find('\n'); at != std::string::npos; at = summary.find('\n', at + 1))
    EXPECT_EQ(summary[at - 1], '\r');

  messages.clear();
  run.context.UI.SelAll_Click();
  fs::remove_all(drive.Host(kNew + "\\System"));
  drive.MakeFolder(kNew + "\\System");
  run.context.UI.Run_Click(run.context);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].icon, MessageIcon::kCritical);
  const std::string report = " Error(s) occurred !\r\n\r\nFor details see logfile: "
                             "C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log\r\n\r\nSystem files upgraded: 0\r\n";
  EXPECT_NE(messages[0].text.find(report), std::string::npos) << messages[0].text;
  EXPECT_NE(messages[0].text.find("\r\nErrors: " + std::to_string(run.context.ErrorCount) + ","),
            std::string::npos);
}

TEST_F(Interactive, TheDialogIsDisabledDuringARunAndASecondRunCannotStart) {
  MainDialog& dialog = run.context.UI;
  dialog.Userfiles = 1;
  std::vector<bool> changes;
  dialog.OnEnabledChange = [&](const MainDialog& state) { changes.push_back(state.Enabled); };
  int repaints = 0;
  int repaintsWhileEnabled = 0;
  int nestedRuns = 0;
  run.context.StdForm.OnRepaint = [&](const ProgressWindow&) {
    ++repaints;
    if (dialog.Enabled) ++repaintsWhileEnabled;
    if (dialog.Run_Click(run.context)) ++nestedRuns;
  };
  EXPECT_TRUE(dialog.Run_Click(run.context));
  EXPECT_GT(repaints, 0);
  EXPECT_EQ(repaintsWhileEnabled, 0);
  EXPECT_EQ(nestedRuns, 0);
  EXPECT_EQ(changes, (std::vector<bool>{false, true}));
  EXPECT_TRUE(dialog.Enabled);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Interactive, TheDialogIsEnabledAgainWhenTheRunEndsTheProcess) {
  run.context.UI.Userfiles = 1;
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log");  // the log cannot be created
  EXPECT_THROW(run.context.UI.Run_Click(run.context), ProcessEnd);
  EXPECT_TRUE(run.context.UI.Enabled);
}

TEST_F(Interactive, OnlyAValidatedRunCounts) {
  EXPECT_FALSE(run.context.UI.Run_Click(run.context));
  run.context.UI.Userfiles = 1;
  run.context.UI.DestPath = "C:\\Gone";
  EXPECT_FALSE(run.context.UI.Run_Click(run.context));
  run.context.UI.DestPath = kNew;
  EXPECT_TRUE(run.context.UI.Run_Click(run.context));
}

TEST(Dialog, LeaveEndsTheProgramWithExitCode0) {
  MainDialog dialog;
  try {
    dialog.Leave_Click();
    FAIL() << "Leave_Click returned";
  } catch (const ProcessEnd& end) {
    EXPECT_EQ(end.exitCode, 0);
  }
}

}  // namespace

namespace {

TEST(DialogBrowse, APickedFolderReplacesThePathAndACancelKeepsIt) {
  MainDialog dialog;
  std::vector<std::string> titles;
  std::string answer = "D:\\";  // a drive root keeps its backslash here
  dialog.BrowseForFolder = [&](const std::string& title) {
    titles.push_back(title);
    return answer;
  };
  dialog.BrowseSRC_Click();
  EXPECT_EQ(dialog.SourcePath, "D:\\");
  answer = "";
  dialog.BrowseDest_Click();
  EXPECT_EQ(dialog.DestPath, "C:\\QVD\\ROBOTER\\QVD\\R1");
  answer = "E:\\New Inst\\R1";
  dialog.BrowseDest_Click();
  EXPECT_EQ(dialog.DestPath, "E:\\New Inst\\R1");
  EXPECT_EQ(titles, (std::vector<std::string>{"Select Source Path", "Select Destination Path",
                                              "Select Destination Path"}));
}

TEST(DialogBrowse, WithoutABrowserNothingIsPicked) {
  MainDialog dialog;
  EXPECT_EQ(dialog.Browse("Select Source Path"), "");
  dialog.BrowseSRC_Click();
  EXPECT_EQ(dialog.SourcePath, "C:\\QVD_OLDINST\\QVD\\R1");
}

}  // namespace

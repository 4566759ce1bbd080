// The program with an empty command line on a real terminal: a
// pseudo-terminal whose keys the test types.

#if !defined(_WIN32)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kProgram = "C:\\PROG";
const std::string kLog = "C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log";

// The program started on a pseudo-terminal as its controlling terminal.
class TerminalSession {
 public:
  explicit TerminalSession(const std::string& program, bool inputFromNull = false) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    std::string slave = ptsname(master_);
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      int terminal = open(slave.c_str(), O_RDWR);
      int input = inputFromNull ? open("/dev/null", O_RDONLY) : terminal;
      dup2(input, 0);
      dup2(terminal, 1);
      dup2(terminal, 2);
      close(master_);
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TerminalSession() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  bool started() const { return pid_ > 0; }

  // Reads the output until text appears after what the last wait found;
  // false when the program ends or falls silent for a minute first.
  bool WaitFor(const std::string& text) {
    while (true) {
      std::size_t at = output_.find(text, seen_);
      if (at != std::string::npos) {
        seen_ = at + text.size();
        return true;
      }
      if (!ReadSome(60000)) return false;
    }
  }

  void Type(const std::string& keys) {
    ssize_t written = write(master_, keys.data(), keys.size());
    ASSERT_EQ(written, static_cast<ssize_t>(keys.size()));
  }

  // Reads the rest of the output and returns the exit code.
  int Wait() {
    while (ReadSome(60000)) {
    }
    int status = 0;
    pid_t ended = waitpid(pid_, &status, 0);
    pid_ = -1;
    return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The output, with the terminal's CR LF line ends back to the program's LF.
  std::string Output() const {
    std::string text;
    for (std::size_t i = 0; i < output_.size(); ++i)
      if (!(output_[i] == '\r' && i + 1 < output_.size() && output_[i + 1] == '\n')) text += output_[i];
    return text;
  }

 private:
  bool ReadSome(int timeoutMs) {
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) return false;  // the terminal closed with the program
    output_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  std::string output_;
  std::size_t seen_ = 0;
};

class TerminalDialogProgram : public ::testing::Test {
 protected:
  void SetUp() override { testenv::LaySamples(drive, kProgram); }
  std::string Program() const { return drive.Host(kProgram + "\\vantrel"); }

  testenv::ScratchDrive drive;
};

TEST_F(TerminalDialogProgram, RunOverTheSamplesGivesTheBatchLogAndOffersTheDialogAgain) {
  TerminalSession session(Program());
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("a\n");
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("r\n");
  ASSERT_TRUE(session.WaitFor("] Upgrade USER FILES"));  // the progress line
  ASSERT_TRUE(session.WaitFor("  6 Error(s) occurred !"));
  ASSERT_TRUE(session.WaitFor("  For details see logfile: " + kLog));
  ASSERT_TRUE(session.WaitFor("OK (Enter) "));
  session.Type("\n");
  ASSERT_TRUE(session.WaitFor("Run ended with 6 error(s). Log: " + drive.Host(kLog)));
  // The run's summary, warnings and all.
  ASSERT_TRUE(session.WaitFor("\nErrors: 6, warnings: 0\r\n"));
  ASSERT_TRUE(session.WaitFor("Settings"));
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("x\n");
  EXPECT_EQ(session.Wait(), 0);

  Lines expected = testenv::ReadLogLines(std::string(VANTREL_SOURCE_DIR) + "/examples/expected/Vantrel.log");
  // The program finds its folder as a host path.
  std::string folder = drive.Host(kProgram);
  for (char& c : folder) c = c == '/' ? '\\' : c;
  EXPECT_EQ(testenv::MaskedLog(testenv::ReadLogLines(drive.Host(kLog)), folder), expected);
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
}

TEST_F(TerminalDialogProgram, TypedPathIsValidatedAndEndOfInputEndsWith0) {
  TerminalSession session(Program());
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("1\n");
  ASSERT_TRUE(session.WaitFor("Source : C:\\QVD_OLDINST\\QVD\\R1"));
  session.Type("\x15" "C:\\Nowhere\r");  // Ctrl-U clears the line first
  ASSERT_TRUE(session.WaitFor("    1  Source :       C:\\Nowhere"));
  // Keys typed before the prompt are dropped, as a person's type-ahead.
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("6\n");
  ASSERT_TRUE(session.WaitFor("    6  [x] all Userfiles"));
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("r\n");
  ASSERT_TRUE(session.WaitFor("  Source Path not found: C:\\Nowhere"));
  ASSERT_TRUE(session.WaitFor("OK (Enter) "));
  session.Type("\n");
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("\x04");  // end of input
  EXPECT_EQ(session.Wait(), 0);
  EXPECT_FALSE(drive.Exists(kLog));
}

TEST_F(TerminalDialogProgram, ThePathIsEditedInPlace) {
  TerminalSession session(Program());
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("2\n");
  ASSERT_TRUE(session.WaitFor("Destination : C:\\QVD\\ROBOTER\\QVD\\R1"));
  // Back over "R1", the backslash before it out, a new end; then at the
  // start the drive changed.
  session.Type("\x1b[D\x1b[D\x7fX\x1b[F2\x1b[H\x1b[3~D\r");
  ASSERT_TRUE(session.WaitFor("    2  Destination :  D:\\QVD\\ROBOTER\\QVDXR12"));
  ASSERT_TRUE(session.WaitFor("Choice: "));
  session.Type("x\n");
  EXPECT_EQ(session.Wait(), 0);
}

TEST_F(TerminalDialogProgram, WithoutATerminalToReadFromItGivesTheUsage) {
  TerminalSession session(Program(), true);
  ASSERT_TRUE(session.started());
  EXPECT_EQ(session.Wait(), 2);
  EXPECT_EQ(session.Output().rfind("usage: vantrel", 0), 0u);
}

}  // namespace

#endif

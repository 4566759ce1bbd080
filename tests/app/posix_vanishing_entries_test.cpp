// Entries of the old installation that change between the walk that
// finds them and the read that uses them: one vanishes, one turns
// unreadable, one becomes a FIFO, one a device. Each is reported with one
// error line, and the run neither hangs nor crashes nor touches the rest.

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "log/log_library.h"
#include "support/test_env.h"
#include "support/whole_run.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using namespace testenv::whole_run;

// Passes every call on to the real log library; when the line that starts
// with trigger is written, runs the hook once.
class HookedLog : public LogLibrary {
 public:
  HookedLog(LogLibrary& inner, std::string trigger, std::function<void()> hook)
      : inner_(inner), trigger_(std::move(trigger)), hook_(std::move(hook)) {}
  std::string GetLumoLoadDir() override { return inner_.GetLumoLoadDir(); }
  void LogCreate(const std::string& path, int32_t mode) override { inner_.LogCreate(path, mode); }
  void SetErrorCounter(int32_t value) override { inner_.SetErrorCounter(value); }
  void LogWrite(const std::string& line) override {
    inner_.LogWrite(line);
    if (hook_ && line.rfind(trigger_, 0) == 0) {
      hooked = true;
      std::exchange(hook_, nullptr)();
    }
  }
  int32_t GetErrorCounter() override { return inner_.GetErrorCounter(); }
  void LogFlush() override { inner_.LogFlush(); }
  bool hooked = false;

 private:
  LogLibrary& inner_;
  std::string trigger_;
  std::function<void()> hook_;
};

class VanishingEntries : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::LaySamples(drive, kProgramFolder);
    fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
    fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
  }

  // Runs with hook called once the line starting with trigger is logged.
  int RunChanging(const std::string& trigger, std::function<void()> hook) {
    BatchRun run(kProgramFolder);
    HookedLog hooked(run.lumo, trigger, std::move(hook));
    run.context.Lumo = &hooked;
    int code = run.Run(kRunCommand);
    EXPECT_TRUE(hooked.hooked) << "no line starts with " << trigger;
    log = testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
    return code;
  }
  // The error lines naming the file.
  Lines ErrorsAbout(const std::string& name) const {
    Lines found;
    for (const std::string& line : log)
      if (line.rfind('#', 0) == 0 && line.find(name) != std::string::npos) found.push_back(line);
    return found;
  }
  std::string Dump() const {
    std::string text;
    for (const std::string& line : log) text += line + "\n";
    return text;
  }
  std::string Host(const std::string& relative) const {
    return drive.Host(kOldInstallation + "\\" + relative);
  }

  // Replaces the file by a FIFO.
  void MakeFifo(const std::string& relative) const {
    fs::remove(Host(relative));
    ASSERT_EQ(mkfifo(Host(relative).c_str(), 0644), 0);
  }
  // Replaces the file by a character device where this user may make one,
  // else by a link to one.
  void MakeDevice(const std::string& relative) const {
    fs::remove(Host(relative));
    if (mknod(Host(relative).c_str(), S_IFCHR | 0644, makedev(1, 5)) == 0) return;
    fs::create_symlink("/dev/zero", Host(relative));
  }

  ScratchDrive drive;
  Lines log;
};

// Between the walk of the user files and their fold checks.
TEST_F(VanishingEntries, UserFilesChangedAfterTheWalk) {
  const std::string destinationBefore = drive.Read(kNewInstallation + "\\Program\\Weld.src");
  bool unreadable = false;
  int code = RunChanging(".UserFiles (SRC) found to upgrade: ", [&] {
    fs::remove(Host("Program\\Weld.src"));
    // The folder is read-only, which binds an ordinary user.
    fs::permissions(Host("Program\\Locked"), fs::perms::owner_write, fs::perm_options::add);
    MakeFifo("Program\\Locked\\Fixed.src");
    fs::permissions(Host("Program\\Locked"), fs::perms::owner_write, fs::perm_options::remove);
    MakeDevice("Program\\Cell.sub");
    // Permissions do not bind the superuser; the suite runs without
    // privileges in CI as well.
    fs::permissions(Host("Program\\Pallet\\Pick.src"), fs::perms::none);
    unreadable = geteuid() != 0;
  });
  fs::permissions(Host("Program\\Pallet\\Pick.src"), fs::perms::owner_all);

  EXPECT_EQ(code, 1);
  EXPECT_EQ(ErrorsAbout("Weld.src").size(), 1u) << Dump();
  EXPECT_EQ(ErrorsAbout("Fixed.src").size(), 1u) << Dump();
  EXPECT_EQ(ErrorsAbout("Cell.sub").size(), 1u) << Dump();
  if (unreadable) {
    EXPECT_EQ(ErrorsAbout("Pick.src").size(), 1u) << Dump();
  }
  // The run went on to its end.
  EXPECT_NE(std::find(log.begin(), log.end(), ". - - - END COPYING FILES - - -"), log.end()) << Dump();
  EXPECT_EQ(drive.Read(kNewInstallation + "\\Program\\Weld.src"), destinationBefore);
  EXPECT_FALSE(drive.Exists(kNewInstallation + "\\Program\\Locked\\Fixed.src"));
  EXPECT_FALSE(drive.Exists(kNewInstallation + "\\Program\\Cell.sub"));
  // The files that stayed as they were are upgraded.
  EXPECT_TRUE(drive.Exists(kNewInstallation + "\\Program\\Weld.dat"));
  EXPECT_TRUE(drive.Exists(kNewInstallation + "\\Program\\Pallet\\Deep\\Place.src"));
}

}  // namespace

#include "sysfiles/exchange.h"

#include <utility>
#include <vector>

#include "core/context.h"
#include "core/run_stopped.h"
#include "platform/platform.h"
#include "trees/path_ops.h"
#include "trees/stale_files.h"

namespace {

struct Outcome {
  bool started = false;
  int32_t exitCode = -1;
};

// A start that fails means nothing was exchanged: that is an error. The
// warning for a non-zero exit code is the controller's line.
Outcome StartAndWait(Context& context, const std::string& arguments) {
  const std::string commandLine = context.FoldexPath + " " + arguments;
  context.FlushLog();
  platform::RunResult result = platform::RunAndWait(context.FoldexPath, arguments);
  if (!result.started) {
    context.Log("# Can not start: " + commandLine + " (" + result.reason + ")");
    ++context.Record.failedSteps;
    return {};
  }
  if (result.exitCode != 0)
    context.Log("! Foldex.exe ended with exit code " + std::to_string(result.exitCode) + ": " +
                commandLine);
  return {true, result.exitCode};
}

// What the files a step only reads were before it started; one that cannot
// be looked at is not watched.
struct ReadFiles {
  std::vector<std::pair<std::string, platform::FileIdentity>> before;

  explicit ReadFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
      platform::FileIdentity identity;
      if (platform::GetFileIdentity(path, identity)) before.emplace_back(path, identity);
    }
  }

  // The exchange program's exit code says nothing of these: a program that
  // wrote into its source must not pass for one that did its step.
  bool ReportChanged(Context& context) const {
    bool changed = false;
    for (const auto& [path, identity] : before) {
      platform::FileIdentity now;
      if (platform::GetFileIdentity(path, now) && platform::SameFileState(identity, now)) continue;
      context.Log("# Foldex.exe changed " + path + ", which it only reads");
      changed = true;
    }
    return changed;
  }
};

}  // namespace

// A stop requested while the program works lets it end (Ctrl-C reaches it
// too: killed, it ends with a non-zero code and its step counts as failed),
// and then ends the run before the next step.
int32_t RunAndWait(Context& context, const std::string& arguments) {
  StopIfRequested();
  const int32_t exitCode = StartAndWait(context, arguments).exitCode;
  StopIfRequested();
  return exitCode;
}

// The exchange program ends with a non-zero code only when its file was
// left as it was, so the run has failed a step and its exit code must say
// so.
int32_t RunExchange(Context& context, const foldex::Command& command,
                    const std::vector<std::string>& onlyRead) {
  StopIfRequested();
  const std::string& target = command.file;
  RemoveStaleTempFilesOnce(context, ParentFolder(target));
  RemoveStaleTempFilesOnce(context, context.UpgFolder);
  // The backup has said why in its own line.
  if (!platform::AnnounceChange(target)) {
    ++context.Record.failedSteps;
    return -1;
  }
  const ReadFiles read(onlyRead);
  const Outcome outcome = StartAndWait(context, foldex::FormatCommandLine(command));
  const bool sourceChanged = outcome.started && read.ReportChanged(context);
  if (sourceChanged && outcome.exitCode == 0) ++context.Record.failedSteps;
  if (outcome.started && outcome.exitCode != 0) {
    context.Log("# Foldex.exe failed on " + target + ": this step is not done");
    ++context.Record.failedSteps;
    // A program that was killed may have left a finished temporary file
    // beside the file it wrote or in the control folder.
    platform::RemoveStaleTempFiles(ParentFolder(target));
    platform::RemoveStaleTempFiles(context.UpgFolder);
  }
  StopIfRequested();
  return outcome.exitCode;
}

#include "log/log.h"

#include "core/context.h"
#include "log/log_library.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "util/path_text.h"
#include "util/strings.h"

namespace {
constexpr const char* kLogFolder = "C:\\QVD\\ROBOTER\\LOG";
}  // namespace

std::string ChooseLogFile(bool batch) {
  const char* name = batch ? "Vantrel.log" : "Vantrel_Man.log";
  if (platform::FolderExists(kLogFolder)) return std::string(kLogFolder) + "\\" + name;
  return std::string("C:\\") + name;
}

namespace {

// What stood at the log's place before the library was asked to start it.
struct EarlierLog {
  bool there = false;
  platform::FileIdentity identity;
};

platform::Status CheckPlace(const std::string& path) {
  // Its target could be a file of the old installation, or lie anywhere.
  if (platform::IsSymbolicLink(path) || platform::IsSymbolicLink(ParentFolder(path)))
    return platform::Status::Fail("a symbolic link stands on its way");
  if (platform::Exists(path) && !platform::FileExists(path))
    return platform::Status::Fail("something other than a file stands at its place");
  return platform::Status::Ok();
}

// The library answers nothing: whether it started the log is read from
// the file. An earlier log that no write has touched means this run's
// lines go nowhere.
platform::Status CheckStarted(const std::string& path, const EarlierLog& earlier) {
  platform::FileIdentity now;
  if (!platform::FileExists(path) || !platform::GetFileIdentity(path, now))
    return platform::Status::Fail("the log library did not create it");
  if (earlier.there && platform::SameFileState(earlier.identity, now)) {
    if (platform::Status writable = platform::ProbeWritable(path); !writable) return writable;
    return platform::Status::Fail("the log library left the earlier log as it was");
  }
  if (now.size == 0) return platform::Status::Fail("the log library wrote nothing into it");
  return platform::Status::Ok();
}

}  // namespace

platform::Status InitLog(Context& context) {
  LogLibrary& lumo = *context.Lumo;
  std::string loadDir = lumo.GetLumoLoadDir();
  context.LogFilePath = ChooseLogFile(context.BatchMode);
  const std::string& path = context.LogFilePath;
  if (platform::Status place = CheckPlace(path); !place) return place;
  // A run that only plans leaves the old log alone.
  const bool planOnly = platform::ReadOnly();
  EarlierLog earlier;
  if (!planOnly && platform::Exists(path)) {
    int attributes = 0;
    platform::GetAttributes(path, attributes);
    platform::SetAttributes(path, attributes & platform::kArchive);
    earlier.there = platform::GetFileIdentity(path, earlier.identity).ok;
  }
  lumo.LogCreate(platform::HostPath(path), 0);
  lumo.SetErrorCounter(0);
  lumo.LogWrite(".Used LUMO.DLL: " + util::Trim(platform::ToBackslashes(loadDir)));
  lumo.LogFlush();
  return planOnly ? platform::Status::Ok() : CheckStarted(path, earlier);
}

void ReadErrorCount(Context& context) { context.ErrorCount = context.Lumo->GetErrorCounter(); }

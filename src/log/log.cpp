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

bool InitLog(Context& context) {
  LogLibrary& lumo = *context.Lumo;
  std::string loadDir = lumo.GetLumoLoadDir();
  context.LogFilePath = ChooseLogFile(context.BatchMode);
  // Its target could be a file of the old installation, or lie anywhere.
  if (platform::IsSymbolicLink(context.LogFilePath) ||
      platform::IsSymbolicLink(ParentFolder(context.LogFilePath)))
    return false;
  // A run that only plans leaves the old log alone.
  if (!platform::ReadOnly() && platform::Exists(context.LogFilePath)) {
    int attributes = 0;
    platform::GetAttributes(context.LogFilePath, attributes);
    platform::SetAttributes(context.LogFilePath, attributes & platform::kArchive);
  }
  lumo.LogCreate(platform::HostPath(context.LogFilePath), 0);
  lumo.SetErrorCounter(0);
  lumo.LogWrite(".Used LUMO.DLL: " + util::Trim(platform::ToBackslashes(loadDir)));
  // A library may create the file only with its first line: ask after it.
  return platform::ReadOnly() || platform::FileExists(context.LogFilePath);
}

void ReadErrorCount(Context& context) { context.ErrorCount = context.Lumo->GetErrorCounter(); }

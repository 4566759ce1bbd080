#include "support/harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"

namespace fuzzing {

namespace {

std::string& ScratchRoot() {
  static std::string root;
  return root;
}

void RemoveScratchDrive() {
  std::error_code ignored;
  std::filesystem::remove_all(ScratchRoot(), ignored);
}

}  // namespace

void EnsureScratchDrive() {
  if (!ScratchRoot().empty()) return;
  std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("cannot create the scratch drive");
  ScratchRoot() = pattern;
  setenv("VANTREL_DRIVE_C", pattern.c_str(), 1);
  // A finding aborts and so keeps the folder, for a look at its files.
  std::atexit(RemoveScratchDrive);
}

void Put(const std::string& systemPath, std::string_view bytes) {
  EnsureScratchDrive();
  for (std::size_t pos = systemPath.find('\\', 3); pos != std::string::npos;
       pos = systemPath.find('\\', pos + 1)) {
    const std::string folder = systemPath.substr(0, pos);
    if (!platform::FolderExists(folder) && !platform::CreateFolder(folder))
      Fail("cannot create " + folder);
  }
  if (platform::Status status = platform::WriteFileAtomic(systemPath, std::string(bytes)); !status)
    Fail("cannot write " + systemPath + ": " + status.reason);
}

std::string Get(const std::string& systemPath) {
  std::string bytes;
  if (!platform::ReadFileBytes(systemPath, bytes)) return "";
  return bytes;
}

void Remove(const std::string& systemPath) {
  if (platform::FileExists(systemPath)) (void)platform::RemoveFile(systemPath);
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
  std::abort();
}

}  // namespace fuzzing

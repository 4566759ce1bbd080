#include "support/test_env.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/startup.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace testenv {

ScratchDrive::ScratchDrive() {
  std::string pattern = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  setenv("VANTREL_DRIVE_C", root_.c_str(), 1);
}

ScratchDrive::~ScratchDrive() {
  std::error_code ignored;
  // Read-only folders would keep their entries from being removed.
  for (auto it = fs::recursive_directory_iterator(root_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all,
                                           fs::perm_options::add, ignored);
  }
  fs::remove_all(root_, ignored);
  unsetenv("VANTREL_DRIVE_C");
}

std::string ScratchDrive::Host(const std::string& systemPath) const {
  std::string path = systemPath;
  if (path.size() >= 2 && path[1] == ':') path = path.substr(2);
  std::string host = root_;
  for (char c : path) host += c == '\\' ? '/' : c;
  return host;
}

void ScratchDrive::Write(const std::string& systemPath, const std::string& bytes) const {
  fs::path host = Host(systemPath);
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + host.string());
}

std::string ScratchDrive::Read(const std::string& systemPath) const {
  std::ifstream in(Host(systemPath), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool ScratchDrive::Exists(const std::string& systemPath) const {
  return fs::exists(Host(systemPath));
}

void ScratchDrive::MakeFolder(const std::string& systemPath) const {
  fs::create_directories(Host(systemPath));
}

std::vector<std::string> ReadLogLines(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> MaskedLog(std::vector<std::string> lines, const std::string& programFolder) {
  for (std::string& line : lines) {
    if (line.rfind(".Used LUMO.DLL: ", 0) == 0) line = ".Used LUMO.DLL: <LUMO>";
    if (line.rfind(".Vantrel started at: ", 0) == 0) line = ".Vantrel started at: <DATE>, <TIME>";
    for (std::size_t at; (at = line.find(programFolder)) != std::string::npos;)
      line.replace(at, programFolder.size(), "<PROGRAM>");
  }
  return lines;
}

std::string BuiltProgramFolder() { return VANTREL_BIN_DIR; }

void MakeProgramFolder(const ScratchDrive& drive, const std::string& systemPath,
                       bool recordingFoldex) {
  fs::path target = drive.Host(systemPath);
  fs::create_directories(target);
  fs::path built = BuiltProgramFolder();
  for (const char* name : {"vantrel", "liblumo.so", "Foldex.exe", "vantrel.ini"})
    fs::copy_file(built / name, target / name, fs::copy_options::overwrite_existing);
  fs::copy(built / "Vantrel", target / "Vantrel",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  if (recordingFoldex) {
    std::ofstream script(target / "Foldex.exe", std::ios::trunc);
    script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/foldex-calls.txt\"\n"
              "exit 0\n";
    script.close();
    fs::permissions(target / "Foldex.exe", fs::perms::owner_all);
  }
}

void LaySamples(const ScratchDrive& drive, const std::string& programFolder) {
  const std::string samples = std::string(VANTREL_SOURCE_DIR) + "/examples";
  CopyTree(samples + "/drive_c", drive.root());
  ApplyAttributeList(samples + "/attributes.txt");
  MakeProgramFolder(drive, programFolder, false);
}

std::vector<std::string> RecordedFoldexCalls(const ScratchDrive& drive,
                                             const std::string& programFolder) {
  std::ifstream in(drive.Host(programFolder + "\\foldex-calls.txt"), std::ios::binary);
  std::vector<std::string> calls;
  for (std::string line; std::getline(in, line);) calls.push_back(line);
  return calls;
}

BatchRun::BatchRun(const std::string& programFolder) {
  platform::Status status = lumo.Load(platform::ToBackslashes(BuiltProgramFolder()));
  if (!status) throw std::runtime_error("cannot load the log library: " + status.reason);
  context.Lumo = &lumo;
  context.ProgramFolder = programFolder;
  context.ProgramName = "vantrel";
}

int BatchRun::Run(const std::string& commandLine) {
  context.CommandLine = commandLine;
  return RunBatch(context);
}

MemoryRun::MemoryRun() {
  context.Lumo = &log;
  context.ProgramFolder = "C:\\PROG";
  context.ProgramName = "vantrel";
  context.FoldexPath = "C:\\PROG\\Foldex.exe";
  context.UpgFolder = "C:\\PROG\\Vantrel\\";
  context.BatchMode = true;
  context.UI.SelAll_Click();
}

}  // namespace testenv

#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/run.h"
#include "app/startup.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace testenv {

namespace {

// A path that the build wrote down, in the form that the system running
// the tests gives back for it: a cross build writes the builder's form
// ("/work/x"), and the program learns its own folder in the runner's
// ("Z:\work\x" where the builder's root is a drive).
std::string RunnersForm(const std::string& builtPath) {
  return fs::absolute(fs::path(builtPath)).string();
}

// A new folder in the build's scratch folder, its name not used before.
// Not the temporary folder: on Windows that lies on drive C:, which the
// tests map to the scratch folder itself, so that every path the program
// learns from the system (its own folder, say) would be mapped twice.
// VANTREL_TEST_SCRATCH names another one, for a user who cannot write into
// the build folder.
std::string MakeScratchFolder() {
  std::random_device random;
  const char* chosen = std::getenv("VANTREL_TEST_SCRATCH");
  const fs::path root =
      chosen && *chosen ? fs::path(chosen) : fs::path(RunnersForm(VANTREL_SCRATCH_DIR));
  fs::create_directories(root);
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path folder = root / ("vantrel-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(folder, error)) return folder.string();
  }
  throw std::runtime_error("cannot create a scratch folder");
}

}  // namespace

ScratchDrive::ScratchDrive() : root_(MakeScratchFolder()) {
  const char* outer = std::getenv("VANTREL_DRIVE_C");
  if (outer) outerDrive_ = outer;
  platform::SetEnvironmentValue("VANTREL_DRIVE_C", root_);
}

ScratchDrive::~ScratchDrive() {
  std::error_code ignored;
  // Read-only entries would keep themselves or their folder's entries from
  // being removed.
  for (auto it = fs::recursive_directory_iterator(root_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(root_, ignored);
  // A drive made inside another one's life gives the outer one back.
  if (outerDrive_)
    platform::SetEnvironmentValue("VANTREL_DRIVE_C", *outerDrive_);
  else
    platform::RemoveEnvironmentValue("VANTREL_DRIVE_C");
}

std::string ScratchDrive::Host(const std::string& systemPath) const {
  std::string path = systemPath;
  if (path.size() >= 2 && path[1] == ':') path = path.substr(2);
  std::string host = root_;
#ifdef _WIN32
  host += path;  // the form in which the program names host paths
#else
  for (char c : path) host += c == '\\' ? '/' : c;
#endif
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

std::vector<std::string> MaskedLog(std::vector<std::string> lines,
                                   const std::string& programFolder) {
  for (std::string& line : lines) {
    if (line.rfind(".Used LUMO.DLL: ", 0) == 0) line = ".Used LUMO.DLL: <LUMO>";
    if (line.rfind(".Vantrel started at: ", 0) == 0) line = ".Vantrel started at: <DATE>, <TIME>";
    for (std::size_t at; (at = line.find(programFolder)) != std::string::npos;)
      line.replace(at, programFolder.size(), "<PROGRAM>");
  }
  return lines;
}

std::string LoggedFaults(const std::string& hostPath) {
  std::string faults;
  for (const std::string& line : ReadLogLines(hostPath))
    if (!line.empty() && (line[0] == '#' || line[0] == '!')) faults += line + "\n";
  return faults;
}

std::string BuiltProgramFolder() { return RunnersForm(VANTREL_BIN_DIR); }

std::string ProgramFileName() { return VANTREL_PROGRAM_FILE; }

std::string RunCaptured(const std::string& program, const std::string& argumentText,
                        int& exitCode) {
  std::string output;
  platform::RunResult result = platform::RunAndCapture(program, argumentText, output);
  if (!result.started) {
    exitCode = -1;
    return "not started: " + result.reason;
  }
  exitCode = result.exitCode;
  for (std::size_t at; (at = output.find("\r\n")) != std::string::npos;) output.erase(at, 1);
  return output;
}

namespace {

// Copies a file over another. Not by overwrite_existing: one standard
// library for Windows refuses with "File exists" all the same.
void CopyOver(const fs::path& from, const fs::path& to) {
  fs::remove(to);
  fs::copy_file(from, to);
}

}  // namespace

void MakeProgramFolder(const ScratchDrive& drive, const std::string& systemPath,
                       bool recordingFoldex) {
  fs::path target = drive.Host(systemPath);
  fs::create_directories(target);
  fs::path built = BuiltProgramFolder();
  for (std::string name : {ProgramFileName(), std::string(platform::LogLibraryFileName()),
                           std::string("Foldex.exe"), std::string("vantrel.ini")})
    CopyOver(built / name, target / name);
  fs::copy(built / "Vantrel", target / "Vantrel",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  if (recordingFoldex) InstallFakeFoldex(drive, systemPath);
}

void InstallFakeFoldex(const ScratchDrive& drive, const std::string& folder) {
  fs::path target = drive.Host(folder);
  fs::create_directories(target);
  CopyOver(RunnersForm(VANTREL_FAKE_FOLDEX), target / "Foldex.exe");
}

void SetFoldexBehaviour(const ScratchDrive& drive, const std::string& programFolder,
                        const std::string& behaviour) {
  drive.Write(programFolder + "\\Foldex.fake", behaviour);
}

void LayEmptyInstallations(const ScratchDrive& drive) {
  MakeProgramFolder(drive, "C:\\PROG", true);
  drive.MakeFolder(kOldInstallation + "\\System");
  drive.MakeFolder(kOldInstallation + "\\Program");
  drive.MakeFolder(kNewInstallation + "\\System");
  drive.MakeFolder("C:\\QVD\\ROBOTER\\Template");
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
}

void LaySamples(const ScratchDrive& drive, const std::string& programFolder) {
  const std::string samples = std::string(VANTREL_SOURCE_DIR) + "/examples";
  CopyTree(samples + "/drive_c", drive.root());
  ApplyAttributeList(samples + "/attributes.txt");
  MakeProgramFolder(drive, programFolder, false);
}

namespace {

// A user program of the old installation, with the template's folds in
// their older form and the customer's own.
std::string UserProgram(int number, const std::string& kind) {
  const std::string name = "BULK" + std::to_string(number);
  const std::string value = std::to_string(1000 + number);
  if (kind == "dat")
    return "DEFDAT  " + name +
           "\r\n;FOLD EXTERNAL DECLARATIONS\r\n;FOLD SYSTEM EXT\r\nEXT  INIT_MOTION ( )\r\n"
           ";ENDFOLD (SYSTEM EXT)\r\n;FOLD USER EXT\r\n;ENDFOLD (USER EXT)\r\n"
           ";ENDFOLD (EXTERNAL DECLARATIONS)\r\nDECL POS XP1={X " +
           value + ".5,Y 12.0,Z 850.0,A 0.0,B 90.0,C 0.0}\r\nENDDAT\r\n";
  return "DEF " + name +
         " ( )\r\n;FOLD INI\r\n  ;FOLD SYSTEM INI\r\n    INTERRUPT ON 3\r\n"
         "    INIT_MOTION()\r\n  ;ENDFOLD (SYSTEM INI)\r\n  ;FOLD USER INI\r\n"
         "  ;ENDFOLD (USER INI)\r\n;ENDFOLD (INI)\r\n;FOLD PTP HOME\r\nSET_FRAME(FHOME)\r\n"
         "PTP  HOME\r\n;ENDFOLD\r\nLIN P1 VEL=0." +
         value + "\r\nEND\r\n";
}

}  // namespace

void LayLargeInstallation(const ScratchDrive& drive, const std::string& programFolder, int files,
                          int userFiles) {
  LaySamples(drive, programFolder);
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
  const std::string kinds[] = {"src", "dat", "sub"};
  for (int i = 0; i < userFiles; ++i) {
    const std::string& kind = kinds[i % 3];
    const std::string path =
        "\\Program\\Bulk\\G" + std::to_string(i / 50) + "\\Bulk" + std::to_string(i) + "." + kind;
    drive.Write(kOldInstallation + path, UserProgram(i, kind));
    if (i % 2 == 0) drive.Write(kNewInstallation + path, UserProgram(i + 1, kind));
  }
  for (int i = userFiles; i < files; ++i) {
    const std::string path =
        "\\Docs\\D" + std::to_string(i / 100) + "\\note" + std::to_string(i) + ".txt";
    const std::string text = "Note " + std::to_string(i) + " of the cell\r\n";
    drive.Write(kOldInstallation + path, text);
    drive.Write(kNewInstallation + path, text);
    if (i % 20 == 0) testenv::SetAttributes(kOldInstallation + path, platform::kHidden);
  }
}

std::vector<std::string> RecordedFoldexCalls(const ScratchDrive& drive,
                                             const std::string& programFolder) {
  std::ifstream in(drive.Host(programFolder + "\\foldex-calls.txt"), std::ios::binary);
  std::vector<std::string> calls;
  for (std::string line; std::getline(in, line);) calls.push_back(line);
  return calls;
}

void SetAttributes(const std::string& path, int attributes) {
  platform::Status status = platform::SetAttributes(path, attributes);
  if (!status) ADD_FAILURE() << "cannot set the attributes of " << path << ": " << status.reason;
}

namespace {

bool UnderEmulator() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

}  // namespace

int Comparable(int attributes) {
  static const bool emulated = UnderEmulator();
  if (!emulated) return attributes;
  if (attributes & platform::kFolder)
    return attributes & ~(platform::kReadOnly | platform::kArchive);
  return attributes & ~platform::kArchive;
}

int GetAttributes(const std::string& path) {
  int attributes = -1;
  platform::Status status = platform::GetAttributes(path, attributes);
  if (!status) ADD_FAILURE() << "cannot get the attributes of " << path << ": " << status.reason;
  return status ? attributes : -1;
}

BatchRun::BatchRun(const std::string& programFolder) {
  platform::Status status = lumo.Load(platform::ToBackslashes(BuiltProgramFolder()));
  if (!status) throw std::runtime_error("cannot load the log library: " + status.reason);
  context.Lumo = &lumo;
  context.ProgramFolder = programFolder;
  context.ProgramName = "vantrel";
  context.UI.OnRun = [this] { RunUpgrade(context); };
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

// Child processes, the running program, and libraries loaded at run time.

#include <cstdlib>
#include <vector>

#include "platform/paths.h"
#include "platform/win32/internal.h"

namespace platform {

using win32::LastError;
using win32::MapPath;
using win32::ReasonOf;

namespace {

// The full path of the running program.
std::string ModulePath() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD size = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size == 0) return {};
    if (size < buffer.size()) return std::string(buffer.data(), size);
    buffer.resize(buffer.size() * 2);
  }
}

// The text behind the program name at the head of a command line. The
// name ends at its closing quotation mark when it begins with one, else at
// the first blank or tab; the one blank or tab that separates it from the
// arguments is not part of them.
std::string TextAfterProgramName(const char* line) {
  if (!line) return {};
  const char* p = line;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  if (*p == ' ' || *p == '\t') ++p;
  return p;
}

// Starts program with the argument text behind its quoted name; startup
// may hand it standard streams.
RunResult Start(const std::string& application, const std::string& argumentText,
                STARTUPINFOA& startup, PROCESS_INFORMATION& process) {
  // The program is named apart and quoted at the head of the command line:
  // an unquoted path with blanks would let a planted "C:\Program.exe" run.
  // A console program gets no console window of its own: the exchange
  // program runs many times a run and has nothing to show.
  RunResult result;
  std::string line = "\"" + application + "\" " + argumentText;
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back('\0');
  startup.cb = sizeof startup;
  if (!CreateProcessA(application.c_str(), writable.data(), nullptr, nullptr, TRUE,
                      NORMAL_PRIORITY_CLASS | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process)) {
    result.reason = ReasonOf(GetLastError());
    return result;
  }
  CloseHandle(process.hThread);
  result.started = true;
  return result;
}

void Wait(HANDLE process, RunResult& result) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  result.exitCode = GetExitCodeProcess(process, &code) ? static_cast<int32_t>(code) : -1;
  CloseHandle(process);
}

}  // namespace

RunResult os::StartAndWait(const std::string& program, const std::string& argumentText) {
  STARTUPINFOA startup{};
  PROCESS_INFORMATION process{};
  RunResult result = Start(program, argumentText, startup, process);
  if (result.started) Wait(process.hProcess, result);
  return result;
}

RunResult os::StartAndCapture(const std::string& program, const std::string& argumentText,
                              std::string& output) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
    return RunResult{false, 0, ReasonOf(GetLastError())};
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  RunResult result = Start(program, argumentText, startup, process);
  CloseHandle(writeEnd);
  if (result.started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
      output.append(buffer, got);
    Wait(process.hProcess, result);
  }
  CloseHandle(readEnd);
  return result;
}


long CurrentProcessId() { return static_cast<long>(GetCurrentProcessId()); }

Status SetEnvironmentValue(const std::string& name, const std::string& value) {
  // The runtime library keeps its own copy of the environment: both change.
  if (_putenv_s(name.c_str(), value.c_str()) != 0 ||
      !SetEnvironmentVariableA(name.c_str(), value.c_str()))
    return LastError();
  return Status::Ok();
}

Status RemoveEnvironmentValue(const std::string& name) {
  _putenv_s(name.c_str(), "");
  if (!SetEnvironmentVariableA(name.c_str(), nullptr) && GetLastError() != ERROR_ENVVAR_NOT_FOUND)
    return LastError();
  return Status::Ok();
}

std::string ArgumentText(int, char**) { return TextAfterProgramName(GetCommandLineA()); }

std::string CommandLineText(int argc, char** argv) { return ArgumentText(argc, argv); }

std::string ProgramFolder() {
  std::string path = ModulePath();
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string os::ProgramFileName() {
  std::string path = ModulePath();
  return path.substr(path.find_last_of("\\/") + 1);
}

SharedLibrary::~SharedLibrary() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

Status SharedLibrary::Load(const std::string& path) {
  // The loader wants backslashes in a full path.
  return LoadHostPath(ToBackslashes(MapPath(path)));
}

Status SharedLibrary::LoadHostPath(const std::string &host) {
  HMODULE module = LoadLibraryExA(host.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) return LastError();
  handle_ = reinterpret_cast<void*>(module);
  return Status::Ok();
}

void* SharedLibrary::Symbol(const char* name) const {
  if (!handle_) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

const char* LogLibraryFileName() { return "lumo.dll"; }

std::string HostPathBesideProgram(const std::string &fileName) {
  const std::string path = ModulePath();
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? fileName
                                    : path.substr(0, slash + 1) + fileName;
}

}  // namespace platform

#include "log/log_library.h"

#include <cstring>

#include "util/strings.h"

namespace {
constexpr int32_t kLoadDirLength = 255;
}

platform::Status LumoLibrary::Load(const std::string& folder) {
  std::string path = folder + "\\" + platform::LogLibraryFileName();
  if (platform::Status status = library_.Load(path); !status) return status;
  return FindFunctions();
}

platform::Status LumoLibrary::LoadBesideProgram() {
  const std::string host =
      platform::HostPathBesideProgram(platform::LogLibraryFileName());
  if (platform::Status status = library_.LoadHostPath(host); !status)
    return status;
  return FindFunctions();
}

platform::Status LumoLibrary::FindFunctions() {
  auto find = [this](const char* name, auto& fn) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(library_.Symbol(name));
    return fn != nullptr;
  };
  for (auto [ok, name] : {std::pair{find("GetLumoLoadDir", getLoadDir_), "GetLumoLoadDir"},
                          std::pair{find("LogCreate", create_), "LogCreate"},
                          std::pair{find("SetErrorCounter", setCounter_), "SetErrorCounter"},
                          std::pair{find("LogWrite", write_), "LogWrite"},
                          std::pair{find("GetErrorCounter", getCounter_), "GetErrorCounter"}}) {
    if (!ok) return platform::Status::Fail(std::string("the library has no function ") + name);
  }
  find("LogFlush", flush_);
  return platform::Status::Ok();
}

std::string LumoLibrary::GetLumoLoadDir() {
  std::string buffer(kLoadDirLength, ' ');
  buffer.push_back('\0');
  getLoadDir_(buffer.data(), kLoadDirLength);
  return buffer.substr(0, std::strlen(buffer.c_str()));
}

void LumoLibrary::LogCreate(const std::string& path, int32_t mode) {
  create_(path.c_str(), mode);
}

void LumoLibrary::SetErrorCounter(int32_t value) { setCounter_(value); }

// A control character would end the line early (NUL) or start a line of
// its own (CR, LF) in the log.
void LumoLibrary::LogWrite(const std::string& line) { write_(util::Printable(line).c_str()); }

int32_t LumoLibrary::GetErrorCounter() { return getCounter_(); }

void LumoLibrary::LogFlush() {
  if (flush_) flush_();
}

std::string MemoryLog::GetLumoLoadDir() {
  std::string folder = "\\memory";
  return folder + std::string(kLoadDirLength - folder.size(), ' ');
}

void MemoryLog::LogCreate(const std::string& path, int32_t) {
  created = path;
  lines.clear();
}

void MemoryLog::LogWrite(const std::string& line) {
  if (!line.empty() && line[0] == '#') ++counter;
  lines.push_back(line);
}

// Our log library. It keeps the log file open between lines and gathers
// them in a buffer that goes to the file when it is full, when the caller
// asks (LogFlush: the program does before each child process starts and
// after each step of a run), when another log is created and when the
// process ends. A caller killed loses at most what it logged since it last
// asked.

#include "lumo.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

std::FILE* g_file = nullptr;
std::string g_name;
int32_t g_errors = 0;
int32_t g_level = 0;
// Lines handed to the buffer since it last reached the file; a write that
// fails loses them, and each counts as an error.
int32_t g_unwritten = 0;
constexpr std::size_t kBufferSize = 1 << 16;

void LoseUnwritten() {
  g_errors += g_unwritten;
  g_unwritten = 0;
}

std::string LoadFolder() {
#ifdef _WIN32
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&LoadFolder), &module);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string folder = path;
  std::size_t cut = folder.find_last_of("\\/");
#else
  Dl_info info{};
  std::string folder;
  if (dladdr(reinterpret_cast<void*>(&LoadFolder), &info) && info.dli_fname)
    folder = info.dli_fname;
  std::size_t cut = folder.rfind('/');
#endif
  return cut == std::string::npos ? std::string() : folder.substr(0, cut);
}

void FillPadded(char* buffer, int32_t length, const std::string& text) {
  if (!buffer || length <= 0) return;
  std::size_t size = static_cast<std::size_t>(length);
  std::size_t copied = text.size() < size ? text.size() : size;
  // The caller's buffer is fixed-width and blank-padded, without a terminator.
  std::copy_n(text.data(), copied, buffer);
  std::memset(buffer + copied, ' ', size - copied);
}

#ifdef _WIN32
std::FILE* OpenNew(const std::string& name) { return std::fopen(name.c_str(), "wb"); }
#else
std::FILE* OpenNew(const std::string& name) {
  // Only an ordinary file: a FIFO or a device would block or swallow the
  // lines.
  int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ftruncate(fd, 0) != 0 ||
      fcntl(fd, F_SETFL, 0) != 0) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "wb");
  if (!file) close(fd);
  return file;
}
#endif

}  // namespace

extern "C" {

LUMO_EXPORT void LUMO_CALL GetLumoLoadDir(char* buffer, int32_t length) {
  FillPadded(buffer, length, LoadFolder());
}

LUMO_EXPORT void LUMO_CALL LogCreate(const char* path, int32_t /*mode*/) {
  if (g_file && std::fclose(g_file) != 0) LoseUnwritten();
  g_unwritten = 0;
  g_file = nullptr;
  g_name = path ? path : "";
  if (g_name.empty()) return;
  // Only an ordinary file is kept as the backup: whatever else stands at
  // that name is left alone, and the log then cannot be created.
  // A symbolic link is no ordinary file: the log is never written through
  // one, which could lead anywhere.
  struct stat info;
#ifdef _WIN32
  bool regular = stat(g_name.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG;
#else
  bool regular = lstat(g_name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
#endif
  if (regular) {
    std::string backup = g_name + ".bak";
    // Without a backup the new log is still written; the old one is lost,
    // which is what a run without a backup slot has always meant.
    (void)std::remove(backup.c_str());
    (void)std::rename(g_name.c_str(), backup.c_str());
  }
  g_file = OpenNew(g_name);
  // Without the larger buffer (setvbuf fails only for a bad mode or size)
  // the stream keeps its own.
  if (g_file) (void)std::setvbuf(g_file, nullptr, _IOFBF, kBufferSize);
}

LUMO_EXPORT void LUMO_CALL SetErrorCounter(int32_t value) { g_errors = value; }

LUMO_EXPORT void LUMO_CALL LogWrite(const char* line) {
  if (!line) return;
  if (line[0] == '#') ++g_errors;
  if (!g_file) return;
  // A line that cannot be written (a full disk) leaves the log incomplete:
  // it counts as an error, so that the run cannot end as a clean one.
  ++g_unwritten;
  if (std::fputs(line, g_file) < 0 || std::fputs("\r\n", g_file) < 0) LoseUnwritten();
}

LUMO_EXPORT void LUMO_CALL LogFlush(void) {
  if (g_file && std::fflush(g_file) != 0) LoseUnwritten();
  g_unwritten = 0;
}

// The count includes the lines that still wait in the buffer and turn out
// not to fit on the disk.
LUMO_EXPORT int32_t LUMO_CALL GetErrorCounter(void) {
  LogFlush();
  return g_errors;
}

LUMO_EXPORT void LUMO_CALL LogWriteEx(const char* line, int32_t level) {
  if (level >= g_level) LogWrite(line);
}

LUMO_EXPORT void LUMO_CALL LogSetLevel(int32_t level) { g_level = level; }

LUMO_EXPORT void LUMO_CALL LogGetName(char* buffer, int32_t length) {
  FillPadded(buffer, length, g_name);
}
}

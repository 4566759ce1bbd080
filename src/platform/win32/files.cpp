// Creating, reading, copying and replacing files. Every replace writes a
// temporary file in the target's folder and moves it over the target with
// MoveFileExA, so that the target is the old file or the whole new one.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/durability.h"
#include "platform/win32/internal.h"

namespace platform {

using win32::LastError;
using win32::MapPath;
using win32::ReasonOf;

namespace {
// What one call reads or writes at the most: its count is 32 bits wide.
DWORD Chunk(std::size_t size) { return size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size); }
}  // namespace

Status os::WriteSome(intptr_t file, const char* data, std::size_t size, std::size_t& wrote) {
  DWORD written = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(file), data, Chunk(size), &written, nullptr))
    return LastError();
  wrote = written;
  return Status::Ok();
}

std::string os::FolderOf(const std::string& host) {
  std::size_t slash = host.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  return host.substr(0, slash == 0 || (slash == 2 && host[1] == ':') ? slash + 1 : slash);
}

namespace {

Status WriteAllTo(HANDLE file, const char* data, std::size_t size) {
  return os::WriteAll(reinterpret_cast<intptr_t>(file), data, size);
}

// A temporary file beside target. It carries the writer's process id in
// its name, so that the temporary files of a writer that was killed can
// be told from those of one still at work.
class TempFile {
 public:
  explicit TempFile(const std::string& target) {
    std::string folder = os::FolderOf(target);
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    std::string stem = folder + TempStem();
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
      path_ = stem + std::to_string(GetTickCount() + attempt);
      handle_ = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ != INVALID_HANDLE_VALUE) return;
      if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    status_ = win32::LastErrorAt(path_);
    path_.clear();
  }
  ~TempFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!committed_ && !path_.empty()) {
      SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path_.c_str());
    }
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const Status& status() const { return status_; }
  HANDLE handle() const { return handle_; }

  // Moves the file over target with the given attributes. A read-only
  // target would refuse to be replaced: its read-only bit is taken off for
  // the move and put back if the move fails.
  Status Commit(const std::string& target, DWORD attributes) {
    const bool eachWrite = durable::EachWrite();
    // A read-only file cannot be opened again for the batch's flush: it is
    // flushed now, while its handle may still write.
    const bool flushNow = eachWrite || (attributes & FILE_ATTRIBUTE_READONLY);
    if (flushNow) durable::CountSync();
    if (flushNow && !FlushFileBuffers(handle_)) return LastError();
    if (!CloseHandle(handle_)) {
      handle_ = INVALID_HANDLE_VALUE;
      return LastError();
    }
    handle_ = INVALID_HANDLE_VALUE;
    DWORD old = GetFileAttributesA(target.c_str());
    bool unlocked = old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) &&
                    SetFileAttributesA(target.c_str(), old & ~FILE_ATTRIBUTE_READONLY);
    // In a batch the move waits for nothing: the batch flushes the file.
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (eachWrite ? MOVEFILE_WRITE_THROUGH : 0);
    if (!MoveFileExA(path_.c_str(), target.c_str(), flags)) {
      Status status = LastError();
      if (unlocked) SetFileAttributesA(target.c_str(), old);
      return status;
    }
    committed_ = true;
    SetFileAttributesA(target.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    return Status::Ok();
  }

 private:
  std::string path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool committed_ = false;
  Status status_;
};

HANDLE OpenForReading(const std::string& host) {
  return CreateFileA(host.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool IsFolder(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Opens an ordinary file for reading: a folder, a pipe or a device is
// refused, never waited for.
Status OpenRegular(const std::string& host, HANDLE& file) {
  file = OpenForReading(host);
  if (file == INVALID_HANDLE_VALUE) return win32::LastErrorAt(host);
  Status status;
  if (GetFileType(file) != FILE_TYPE_DISK)
    status = Status::Fail(kNoRegularFile);
  else if (IsFolder(file))
    status = Status::Fail(std::strerror(EISDIR));
  if (!status) {
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }
  return status;
}

// The process that wrote a temporary file, by the id in its name, is gone.
bool WriterIsGone(const std::string& name) {
  const std::size_t prefix = std::strlen(kTempPrefix);
  unsigned long id = std::strtoul(name.c_str() + prefix, nullptr, 10);
  if (id == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

}  // namespace

namespace os {

void RemoveStaleTempFiles(const std::string& folder) {
  std::string host = folder;
  while (host.size() > 1 && (host.back() == '\\' || host.back() == '/')) host.pop_back();
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((host + "\\" + kTempPrefix + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> stale;
  do {
    if (WriterIsGone(data.cFileName)) stale.push_back(host + "\\" + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  for (const std::string& path : stale) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

Status CreateFolder(const std::string& host) {
  if (!CreateDirectoryA(host.c_str(), nullptr)) return win32::LastErrorAt(host);
  return Status::Ok();
}

// A source that is a symbolic link is not followed: it may point anywhere,
// and its target would land in the new installation.
Status CheckCopySource(const std::string& host) {
  return win32::IsReparsePoint(host) ? Status::Fail(kLinkNotFollowed) : Status::Ok();
}

Status Copy(const std::string& from, const std::string& to) {
  HANDLE in = INVALID_HANDLE_VALUE;
  if (Status status = OpenRegular(from, in); !status) return status;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(in, &info)) {
    Status status = LastError();
    CloseHandle(in);
    return status;
  }
  Status status = IsFolderAt(to) ? Status::Fail(std::strerror(EISDIR)) : Status::Ok();
  if (status) {
    TempFile temp(to);
    status = temp.status();
    // Sized to the file, up to a limit, and not cleared: most files are a
    // few kilobytes.
    const std::uint64_t fileSize =
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const std::size_t size =
        static_cast<std::size_t>(std::clamp<std::uint64_t>(fileSize + 1, 4096, 1 << 20));
    std::unique_ptr<char[]> buffer(new char[size]);
    while (status) {
      DWORD got = 0;
      if (!ReadFile(in, buffer.get(), static_cast<DWORD>(size), &got, nullptr)) {
        status = LastError();
        break;
      }
      if (got == 0) break;
      status = WriteAllTo(temp.handle(), buffer.get(), got);
    }
    CloseHandle(in);
    in = INVALID_HANDLE_VALUE;
    if (status) status = temp.Commit(to, info.dwFileAttributes & kSettable);
  }
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  return status;
}

Status RemoveFile(const std::string& host) {
  if (!DeleteFileA(host.c_str())) return LastError();
  return Status::Ok();
}

Status RemoveFolder(const std::string& host) {
  if (!RemoveDirectoryA(host.c_str())) return LastError();
  return Status::Ok();
}

Status AddHardLink(const std::string& from, const std::string& to) {
  if (!::CreateHardLinkA(to.c_str(), from.c_str(), nullptr)) return LastError();
  return Status::Ok();
}

}  // namespace os

Status ReadFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  InputFile file;
  if (Status status = file.Open(path); !status) return status;
  char buffer[1 << 16];
  for (;;) {
    std::size_t got = 0;
    if (Status status = file.Read(buffer, sizeof buffer, got); !status) return status;
    if (got == 0) return Status::Ok();
    bytes.append(buffer, got);
  }
}

namespace os {
namespace {

// The target keeps its attributes; a new file gets none. A folder in the
// target's place is refused from the same look at its attributes.
class Win32Replacement : public Replacement {
 public:
  explicit Win32Replacement(const std::string& host) : host_(host) {
    DWORD old = GetFileAttributesA(host_.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY)) {
      refused_ = Status::Fail(std::strerror(EISDIR));
      return;
    }
    attributes_ = old == INVALID_FILE_ATTRIBUTES ? 0 : old & kSettable;
    temp_ = std::make_unique<TempFile>(host_);
  }
  Status Opened() const override { return temp_ ? temp_->status() : refused_; }

  Status Write(const char* data, std::size_t size) override {
    return temp_ ? WriteAllTo(temp_->handle(), data, size) : refused_;
  }
  Status Commit() override { return temp_ ? temp_->Commit(host_, attributes_) : refused_; }

 private:
  std::string host_;
  DWORD attributes_ = 0;
  std::unique_ptr<TempFile> temp_;  // none where the target is a folder
  Status refused_;
};

}  // namespace

std::unique_ptr<Replacement> ReplacementFor(const std::string& host) {
  return std::make_unique<Win32Replacement>(host);
}

Status NotOpen() { return Status::Fail(ReasonOf(ERROR_INVALID_HANDLE)); }

}  // namespace os

InputFile::~InputFile() { Close(); }

Status InputFile::Open(const std::string& path) {
  Close();
  HANDLE file = INVALID_HANDLE_VALUE;
  if (Status status = OpenRegular(MapPath(path), file); !status) return status;
  handle_ = reinterpret_cast<intptr_t>(file);
  return Status::Ok();
}

Status InputFile::Read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (handle_ == -1) return os::NotOpen();
  DWORD read = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, Chunk(size), &read, nullptr))
    return LastError();
  got = read;
  return Status::Ok();
}

void InputFile::Close() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

}  // namespace platform

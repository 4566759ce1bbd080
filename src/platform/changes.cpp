// Every call that changes the machine, the same on every platform: the
// path is checked for the write, a read-only scope only notes the change,
// the change watcher is told before it is made, and then the platform's
// bare call makes it.

#include <cerrno>
#include <cstring>

#include "platform/change_watch.h"
#include "platform/durability.h"
#include "platform/gathered_writes.h"
#include "platform/os.h"
#include "platform/read_only.h"

namespace platform {

Status os::WriteAll(intptr_t file, const char* data, std::size_t size) {
  while (size > 0) {
    std::size_t wrote = 0;
    if (Status status = WriteSome(file, data, size, wrote); !status) return status;
    data += wrote;
    size -= wrote;
  }
  return Status::Ok();
}

std::string TempStem() {
  static const std::string stem = kTempPrefix + std::to_string(CurrentProcessId()) + "-";
  return stem;
}

namespace {

// What of a change the batch puts on the disk: new or lost names are the
// folder's, attributes the entry's own.
void NoteForTheBatch(const std::string& host, Change change) {
  if (change == Change::kNewFolder || change == Change::kRemoval)
    durable::NoteFolder(os::FolderOf(host));
  else
    durable::NoteFile(host);
}

// A change of the entry at path: refused through a link, only noted in a
// read-only scope, told to the watcher, then made on the host path.
template <typename Note, typename Make>
Status ChangeEntry(const std::string& path, Change change, int attributes, Note note, Make make) {
  std::string host;
  if (Status status = os::MapForWrite(path, host); !status) return status;
  if (read_only::Active()) return note();
  if (Status status = watch::Before(path, change, attributes); !status) return status;
  Status status = make(host);
  if (status) NoteForTheBatch(host, change);
  return status;
}

}  // namespace

Status CreateFolder(const std::string& path) {
  return ChangeEntry(
      path, Change::kNewFolder, 0, [&] { return read_only::NoteFolder(path); }, os::CreateFolder);
}

Status CopyFileAtomic(const std::string& source, const std::string& target) {
  std::string from, to;
  if (Status status = os::MapForRead(source, from); !status) return status;
  if (Status status = os::MapForWrite(target, to); !status) return status;
  if (Status status = os::CheckCopySource(from); !status) return status;
  if (read_only::Active()) {
    int attributes = 0;
    if (Status status = GetAttributes(source, attributes); !status) return status;
    return read_only::NoteFile(target, attributes);
  }
  if (Status status = watch::Before(target, Change::kReplace); !status) return status;
  Status status = os::Copy(from, to);
  if (status) durable::NoteWritten(to);
  return status;
}

Status RemoveFile(const std::string& path) {
  return ChangeEntry(
      path, Change::kRemoval, 0, [&] { return read_only::NoteRemoved(path); }, os::RemoveFile);
}

Status RemoveFolder(const std::string& path) {
  return ChangeEntry(
      path, Change::kRemoval, 0, [&] { return read_only::NoteRemoved(path); }, os::RemoveFolder);
}

// Attributes set as they were are no change: nothing for the batch to
// wait for, nothing to keep for the undo; refused through a link all the
// same, as a change would be.
Status SetAttributes(const std::string& path, int attributes) {
  int before = 0;
  const bool same = !read_only::Active() && os::GetAttributes(path, before) &&
                    (before & kSettable) == (attributes & kSettable);
  if (same) {
    std::string host;
    return os::MapForWrite(path, host);
  }
  return ChangeEntry(
      path, Change::kAttributes, attributes,
      [&] { return read_only::NoteAttributes(path, attributes); },
      [&](const std::string& host) { return os::SetAttributes(host, attributes); });
}

// The watcher is not told: a second name is how it keeps a file itself.
Status AddHardLink(const std::string& existing, const std::string& link) {
  std::string from, to;
  if (Status status = os::MapForRead(existing, from); !status) return status;
  if (Status status = os::MapForWrite(link, to); !status) return status;
  if (read_only::Active()) return read_only::NoteFile(link, 0);
  return os::AddHardLink(from, to);
}

// Only a folder with no link on its way is cleaned.
void RemoveStaleTempFiles(const std::string& folder) {
  std::string host;
  if (read_only::Active() || !os::MapForWrite(folder, host)) return;
  os::RemoveStaleTempFiles(host);
}

// The replacement, and the pieces not yet written to it.
struct AtomicOutput::State {
  std::string host;
  std::unique_ptr<os::Replacement> replacement;
  GatheredWrites pending;
  Status status;

  auto WriteToReplacement() {
    return [this](const char* data, std::size_t size) { return replacement->Write(data, size); };
  }
};

AtomicOutput::AtomicOutput() = default;
AtomicOutput::~AtomicOutput() = default;

Status AtomicOutput::Open(const std::string& path) {
  state_ = std::make_unique<State>();
  State& state = *state_;
  std::string host;
  if (Status status = os::MapForWrite(path, host); !status) return state.status = status;
  if (Status status = watch::Before(path, Change::kReplace); !status) return state.status = status;
  state.replacement = os::ReplacementFor(host);
  state.host = host;
  return state.status = state.replacement->Opened();
}

Status AtomicOutput::Write(const char* data, std::size_t size) {
  if (!state_) return os::NotOpen();
  State& state = *state_;
  if (!state.status) return state.status;
  return state.status = state.pending.Add(data, size, state.WriteToReplacement());
}

Status AtomicOutput::Commit() {
  if (!state_) return os::NotOpen();
  State& state = *state_;
  if (!state.status) return state.status;
  state.status = state.pending.Flush(state.WriteToReplacement());
  if (state.status) state.status = state.replacement->Commit();
  if (state.status) durable::NoteWritten(state.host);
  return state.status;
}

Status WriteFileAtomic(const std::string& path, const std::string& bytes) {
  if (read_only::Active()) {
    std::string host;
    if (Status status = os::MapForWrite(path, host); !status) return status;
    return read_only::NoteFile(path, 0);
  }
  AtomicOutput output;
  if (Status status = output.Open(path); !status) return status;
  if (Status status = output.Write(bytes.data(), bytes.size()); !status) return status;
  return output.Commit();
}

namespace {

// A program a read-only scope keeps from starting counts as started and
// ended well.
RunResult Run(const std::string& program, const std::string& argumentText, std::string* output) {
  std::string host;
  if (Status status = os::MapForRead(program, host); !status)
    return RunResult{false, 0, status.reason};
  if (read_only::Active()) {
    read_only::NoteProgram(program, argumentText);
    return RunResult{true, 0, {}};
  }
  return output ? os::StartAndCapture(host, argumentText, *output)
                : os::StartAndWait(host, argumentText);
}

}  // namespace

RunResult RunAndWait(const std::string& program, const std::string& argumentText) {
  return Run(program, argumentText, nullptr);
}

RunResult RunAndCapture(const std::string& program, const std::string& argumentText,
                        std::string& output) {
  output.clear();
  return Run(program, argumentText, &output);
}

AppendFile::~AppendFile() { Close(); }

// Refused through a link like every write; the watcher is not told: a
// journal is the watcher's own.
Status AppendFile::Create(const std::string& path) {
  Close();
  std::string host;
  if (Status status = os::MapForWrite(path, host); !status) return status;
  if (read_only::Active()) return Status::Fail("read-only run");
  return os::CreateForAppend(host, handle_);
}

Status AppendFile::Append(const std::string& bytes) {
  if (handle_ == -1) return os::NotOpen();
  return os::WriteAll(handle_, bytes.data(), bytes.size());
}

Status AppendFile::Sync() {
  if (handle_ == -1) return os::NotOpen();
  durable::CountSync();
  return os::SyncFile(handle_);
}

void AppendFile::Close() {
  if (handle_ != -1) os::CloseFile(handle_);
  handle_ = -1;
}

Status MakeFolderDurable(const std::string& folder) {
  std::string host;
  if (Status status = os::MapForRead(folder, host); !status) return status;
  durable::CountSync();
  return os::SyncFolderAt(host);
}

// The program's writes are left to this process: the batch puts the
// announced file on the disk.
Status AnnounceChange(const std::string& path) {
  if (Status status = watch::Before(path, Change::kInPlace); !status) return status;
  std::string host;
  if (!read_only::Active() && os::MapForRead(path, host)) durable::NoteWritten(host);
  return Status::Ok();
}

void AnnounceChanges(const std::vector<AnnouncedChange>& changes) { watch::BeforeMany(changes); }

FileLock::~FileLock() { os::Unlock(handle_); }

// The lock file is never deleted: a name removed while another process
// waits on its lock would let a third one lock a new file of that name.
Status FileLock::TryAcquire(const std::string& path, bool& acquired) {
  acquired = false;
  std::string host;
  if (Status status = os::MapForWrite(path, host); !status) return status;
  intptr_t handle = -1;
  if (Status status = os::TryLock(host, handle); !status || handle == -1) return status;
  os::Unlock(handle_);
  handle_ = handle;
  acquired = true;
  return Status::Ok();
}

}  // namespace platform

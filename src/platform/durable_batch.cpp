// Changes put on the disk in batches. A power cut may leave any of the
// changes noted since the last batch half-done; the run's journal, which
// is on the disk before each change is made, tells how to undo them.

#include <cstdlib>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/change_watch.h"
#include "platform/durability.h"
#include "platform/os.h"

namespace platform {
namespace {

// Enough to keep the wait at the end of a stage short and the lists small.
constexpr std::size_t kNotedAtMost = 512;

struct Noted {
  std::vector<std::string> files, folders;
  std::unordered_set<std::string> seenFiles, seenFolders;
};

int batches = 0;
int namers = 0;  // DurableNames in force
Noted noted;
std::size_t syncs = 0;
// A failure of a batch put on the disk by itself, told by the next call.
Status untold;

// Read once, before this process sets the variable for its own children.
bool StartedByBatch() {
  static const bool byCaller = [] {
    const char* value = std::getenv(durable::kByCaller);
    return value && *value;
  }();
  return byCaller;
}

}  // namespace

namespace durable {

bool EachWrite() { return watch::Telling() || (batches == 0 && !StartedByBatch()); }

bool Deferred() { return !EachWrite(); }

void NoteFile(const std::string& host) {
  if (batches + namers == 0 || watch::Telling()) return;
  if (noted.seenFiles.insert(host).second) noted.files.push_back(host);
  NoteFolder(os::FolderOf(host));
}

void NoteWritten(const std::string& host) {
  if (Deferred()) NoteFile(host);
}

void NoteFolder(const std::string& host) {
  if (batches + namers == 0 || watch::Telling()) return;
  if (noted.seenFolders.insert(host).second) noted.folders.push_back(host);
  if (noted.files.size() + noted.folders.size() >= kNotedAtMost) {
    Status status = MakeChangesDurable();
    if (!status && untold) untold = status;
  }
}

void CountSync() { ++syncs; }

}  // namespace durable

DurableBatch::DurableBatch() {
  StartedByBatch();
  if (batches++ == 0) SetEnvironmentValue(durable::kByCaller, "1");
}

DurableBatch::~DurableBatch() {
  MakeChangesDurable();
  if (--batches == 0) RemoveEnvironmentValue(durable::kByCaller);
}

DurableNames::DurableNames() { ++namers; }

DurableNames::~DurableNames() {
  MakeChangesDurable();
  --namers;
}

EachChangeDurable::EachChangeDurable() : held_(batches) {
  if (held_ == 0) return;
  if (Status status = MakeChangesDurable(); !status && untold) untold = status;
  batches = 0;
  RemoveEnvironmentValue(durable::kByCaller);
}

EachChangeDurable::~EachChangeDurable() {
  if (held_ == 0) return;
  batches = held_;
  SetEnvironmentValue(durable::kByCaller, "1");
}

// The files first, then the folders that name them: a name on the disk
// whose file is not would be a file cut short after a power cut.
Status MakeChangesDurable() {
  Noted work = std::exchange(noted, Noted{});
  Status first = untold;
  untold = Status::Ok();
  auto keep = [&](const Status& status) {
    if (!status && first) first = status;
  };
  for (const std::string& file : work.files) keep(os::SyncFileAt(file));
  for (const std::string& folder : work.folders) keep(os::SyncFolderAt(folder));
  syncs += work.files.size() + work.folders.size();
  return first;
}

std::size_t SyncCount() { return syncs; }

}  // namespace platform

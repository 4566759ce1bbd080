#include "files.h"

#include "platform/platform.h"

namespace foldex {

bool ReadText(const std::string& path, std::string& bytes, Problems& problems) {
  platform::Status status = platform::ReadFileBytes(path, bytes);
  if (!status) problems.push_back(path + ": cannot read: " + status.reason);
  return status.ok;
}

bool ReadText(const std::string& path, platform::FileBytes& file, Problems& problems) {
  platform::Status status = file.Open(path);
  if (!status) problems.push_back(path + ": cannot read: " + status.reason);
  return status.ok;
}

bool WriteText(const std::string& path, const std::string& bytes, Problems& problems) {
  platform::Status status = platform::WriteFileAtomic(path, bytes);
  if (!status) problems.push_back(path + ": cannot write, left as it was: " + status.reason);
  return status.ok;
}

bool WriteEdited(const std::string& path, std::string_view bytes, const Edits& edits,
                 Problems& problems) {
  platform::AtomicOutput output;
  platform::Status status = output.Open(path);
  if (status) {
    edits.Emit(bytes, [&](std::string_view piece) {
      if (status) status = output.Write(piece.data(), piece.size());
    });
  }
  if (status) status = output.Commit();
  if (!status) problems.push_back(path + ": cannot write, left as it was: " + status.reason);
  return status.ok;
}

}  // namespace foldex

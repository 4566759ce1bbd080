// Applies an attribute list (see examples/attributes.txt) to a tree on
// drive C:, for scratch copies of the sample installations.
//   sample_attrib LIST-FILE

#include <cstdio>
#include <string>

#include "platform/paths.h"
#include "platform/platform.h"

namespace {

int ParseLetters(const std::string& letters, bool& ok) {
  int attributes = 0;
  ok = true;
  for (char letter : letters) {
    switch (letter) {
      case 'R': attributes |= platform::kReadOnly; break;
      case 'H': attributes |= platform::kHidden; break;
      case 'S': attributes |= platform::kSystem; break;
      case 'A': attributes |= platform::kArchive; break;
      default: ok = false;
    }
  }
  return attributes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    platform::WriteStderr("usage: sample_attrib LIST-FILE\n");
    return 2;
  }
  std::string text;
  if (platform::Status status = platform::ReadFileBytes(platform::ToBackslashes(argv[1]), text); !status) {
    platform::WriteStderr(std::string("sample_attrib: ") + argv[1] + ": " + status.reason + "\n");
    return 1;
  }
  int failures = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    std::size_t blank = line.find(' ');
    bool ok = blank != std::string::npos;
    int attributes = ok ? ParseLetters(line.substr(0, blank), ok) : 0;
    std::string path = ok ? "C:\\" + line.substr(blank + 1) : std::string();
    platform::Status status = ok ? platform::SetAttributes(path, attributes)
                                 : platform::Status::Fail("not LETTERS PATH");
    if (!status) {
      platform::WriteStderr("sample_attrib: " + line + ": " + status.reason + "\n");
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

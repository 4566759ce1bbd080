#include "config56/config_text.h"

#include "core/context.h"
#include "platform/platform.h"
#include "util/strings.h"

std::string GetLineFrom(std::string_view text, std::string_view key) {
  const std::size_t start = text.find(key);
  if (start == std::string_view::npos) return {};
  // A line ends at CR LF, LF or CR alone, as the exchange program reads
  // lines: a value holding a lone CR would otherwise carry the text behind
  // it into the generated control file, where it is a declaration of its
  // own. The key of the last line needs no line break behind it.
  std::size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) end = text.size();
  return util::Trim(text.substr(start, end - start));
}

std::string GetBetween(std::string_view text, std::string_view startKey, std::string_view endMark) {
  const std::size_t keyPos = util::Upper(text).find(startKey);
  if (keyPos == std::string::npos) return {};
  const std::size_t endPos = text.find(endMark, keyPos);
  const std::size_t valuePos = keyPos + startKey.size();
  // An end mark inside the key itself leaves nothing between the two.
  if (endPos == std::string_view::npos || endPos < valuePos) return {};
  return util::Trim(text.substr(valuePos, endPos - valuePos));
}

std::string GetValue(std::string_view line) {
  if (line.find('=') == std::string_view::npos) return " ";
  const std::size_t remark = line.find(';');
  if (remark != std::string_view::npos) line = line.substr(0, remark);
  // A ";" before the "=" leaves no value.
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  return util::Trim(line.substr(equals + 1));
}

ReadResult ReadConfigFile(Context& context, const std::string& path, std::string& text) {
  text.clear();
  if (!platform::FileExists(path)) {
    context.Log("#. File not found" + path);
    return ReadResult::kMissing;
  }
  std::string bytes;
  if (platform::Status status = platform::ReadFileBytes(path, bytes); !status) {
    context.Log("# Can not read: " + path + " (" + status.reason + ")");
    return ReadResult::kFailed;
  }
  text = CompactBlanks(bytes);
  return ReadResult::kRead;
}

void ReadWholeFile(Context& context, const std::string& path, std::string& text) {
  ReadConfigFile(context, path, text);
}

std::string CompactBlanks(const std::string& s) {
  std::string result;
  result.reserve(s.size());
  for (char c : s) {
    if (c == ' ' && !result.empty() && result.back() == ' ') continue;
    result += c;
  }
  return util::Trim(result);
}

#include "app/start_cause.h"

#include <cctype>

#include "core/context.h"
#include "platform/platform.h"
#include "util/strings.h"

namespace {

bool InsideOf(const std::string& inner, const std::string& outer) {
  return inner.size() > outer.size() + 1 && inner[outer.size()] == '\\' &&
         util::EqualsNoCase(inner.substr(0, outer.size()), outer);
}

// The failed line names this path ("# Can not find path: " + path).
std::string MissingPath(const Context& context) {
  const std::string prefix = "# Can not find path: ";
  const std::string& line = context.Record.lastError;
  return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : std::string();
}

// A template folder missing under the destination's root but present under
// the source's: the old installation was given as the destination.
std::string SwappedText(const Context& context, const std::string& missing) {
  if (!util::EndsWithNoCase(missing, "\\TEMPLATE")) return "";
  const std::string sourceRoot = CArg::CutPathParts(context.Arg.Source, 2);
  if (sourceRoot.empty() || !platform::FolderExists(sourceRoot + "\\Template")) return "";
  return "the destination " + context.Arg.Dest + " has no template folder, but the source " +
         context.Arg.Source + " has one: source and destination seem swapped. ";
}

// Where the path's drive leads, said only when that is not plain.
std::string DriveText(const std::string& missing) {
  if (missing.size() < 2 || missing[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(missing[0])))
    return "";
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(missing[0])));
  const std::string drive = std::string(1, letter) + ":\\";
  std::string host = platform::HostPath(drive);
  // The drive's folder as it is named, without the separator of its root.
  while (host.size() > 3 && (host.back() == '\\' || host.back() == '/')) host.pop_back();
  const bool there = platform::FolderExists(drive);
  if (there && util::EqualsNoCase(host, drive)) return "";
  const std::string variable = std::string("VANTREL_DRIVE_") + letter;
  if (host.empty())
    return "Drive " + drive.substr(0, 2) + " leads nowhere: " + variable + " is not set. ";
  return "Drive " + drive.substr(0, 2) + " is " + host + (there ? "" : ", which does not exist") +
         " (" + variable + " names another folder). ";
}

std::string WithoutLastBlank(std::string text) {
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

std::string OverlapCause(const Context& context, const std::string& pathText) {
  const CArg& arg = context.Arg;
  if (pathText.find('|') == std::string::npos)
    return "there is no | between the source and the destination path: both are " + arg.Source;
  if (util::EqualsNoCase(arg.Source, arg.Dest))
    return "the source and the destination are the same folder " + arg.Source;
  if (InsideOf(arg.Dest, arg.Source))
    return "the destination " + arg.Dest + " lies inside the source " + arg.Source;
  if (InsideOf(arg.Source, arg.Dest))
    return "the source " + arg.Source + " lies inside the destination " + arg.Dest;
  return "the source and the destination are one folder, or one lies inside the other, "
         "under other names (a link or a second mount)";
}

std::string MissingFolderCause(const Context& context) {
  const std::string missing = MissingPath(context);
  if (missing.empty()) return "";
  return WithoutLastBlank(SwappedText(context, missing) + DriveText(missing));
}

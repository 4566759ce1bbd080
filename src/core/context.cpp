#include "core/context.h"

#include "core/log_library.h"
#include "util/strings.h"

void Context::Log(const std::string& line) {
  if (!line.empty() && line.front() == '#') {
    ++Record.errors;
    Record.lastError = line;
    if (Record.firstError.empty()) Record.firstError = line;
    if (Record.firstErrors.size() < RunRecord::kFirstErrorsKept)
      Record.firstErrors.push_back(util::Printable(line));
  }
  if (!line.empty() && line.front() == '!') ++Record.warnings;
  if (Lumo) Lumo->LogWrite(util::Printable(line));
}

void Context::FlushLog() {
  if (Lumo) Lumo->LogFlush();
}

void Context::LogOnce(const std::string& line) {
  if (ReportedFaults.insert(line).second) Log(line);
}

void Context::LogOnceFor(const std::string& key, const std::string& line) {
  // The set holds log lines too, which never start with a unit separator:
  // a key cannot meet one of them.
  if (ReportedFaults.insert("\x1f" + key).second) LogOnce(line);
}

TreeRun::TreeRun(Context& context) : TreeRun(context, context.Arg, context.CleanedFolders) {}

#include "sysfiles/ini_file.h"

#include "core/context.h"
#include "platform/platform.h"
#include "util/strings.h"

namespace {

// Lines of a file, read piece by piece. A line ends with CR LF, LF or CR
// alone (a file saved by another editor); a last line without its end is
// taken as well.
class LineReader {
 public:
  platform::Status Open(const std::string& path) { return file_.Open(path); }

  // False at the end of the file or after a read error (see status()).
  bool Next(std::string& line) {
    for (;;) {
      std::size_t end = buffer_.find_first_of("\r\n", start_);
      if (end != std::string::npos && buffer_[end] == '\n') return Take(line, end, end + 1);
      if (end != std::string::npos && end + 1 < buffer_.size())
        return Take(line, end, buffer_[end + 1] == '\n' ? end + 2 : end + 1);
      // A CR at the end of what was read: an LF may follow in the next piece.
      if (end != std::string::npos && atEnd_) return Take(line, end, end + 1);
      if (atEnd_) return start_ < buffer_.size() && Take(line, buffer_.size(), buffer_.size());
      Fill();
    }
  }

  const platform::Status& status() const { return status_; }

 private:
  bool Take(std::string& line, std::size_t end, std::size_t next) {
    line.assign(buffer_, start_, end - start_);
    start_ = next;
    return true;
  }

  void Fill() {
    buffer_.erase(0, start_);
    start_ = 0;
    char chunk[1 << 14];
    std::size_t got = 0;
    status_ = file_.Read(chunk, sizeof chunk, got);
    if (!status_ || got == 0) atEnd_ = true;
    buffer_.append(chunk, got);
  }

  platform::InputFile file_;
  std::string buffer_;
  std::size_t start_ = 0;
  bool atEnd_ = false;
  platform::Status status_;
};

struct Section {
  const char* opening;  // wildcard pattern of the opening marker line
  const char* closing;  // and of the closing one
  const char* closingWord;
  bool cutAtBackslash;  // entries are file names: the folder part goes
  KeyedList Context::*list;
  const char* startLine;
  const char* entrySuffix;
  const char* endLine;
};

// The order of the passes is the order of the log.
const Section kSections[] = {
    {"*START_SYSTEMFILES*", "*END_SYSTEMFILES*", "END_SYSTEMFILES", true,
     &Context::SystemFilesList, ".Start reading files (Systemfiles-upgradet separately)",
     " :will be upgradet separately", ".End reading files (Systemfiles-upgradet separately)"},
    {"*START_FILENOTTOCONVERT*", "*END_FILENOTTOCONVERT*", "END_FILENOTTOCONVERT", true,
     &Context::FileNotToConvertList, ".Start reading files (not upgradet and not copied)",
     " :will not be upgradet and not copied into Dest.File",
     ".End reading files (not upgradet and not copied)"},
    {"*START_FILETOCOPY*", "*END_FILETOCOPY*", "END_FILETOCOPY", false, &Context::FileToCopyList,
     ".Start reading files (only copied from Source to Destination)",
     " :will be only copied into Dest.File",
     ".End reading files (only copied from Source to Destination)"},
};

// Keeps what follows the last backslash. The cut comes before the comment
// test, so that ";old\X.DAT" yields X.DAT in these sections.
std::string CutToFileName(std::string line) {
  for (std::size_t pos = line.find('\\'); pos != std::string::npos && line.size() > 1;
       pos = line.find('\\'))
    line.erase(0, pos + 1);
  return line;
}

void TakeEntry(Context& context, const std::string& path, const Section& section,
               std::string line) {
  if (section.cutAtBackslash) line = CutToFileName(std::move(line));
  if (line.find_first_of(";[]") != std::string::npos) return;
  // Such a name would be cut short at the NUL by every call that takes it.
  if (line.find('\0') != std::string::npos) {
    context.Log("# " + path + " : entry holding a NUL byte not used: " + line);
    return;
  }
  // A line ending in a backslash is cut to nothing and still taken: the
  // empty name matches no file, and the log shows what the line gave.
  std::string entry = util::Trim(line);
  (context.*section.list).Add(entry);
  context.Log(".  " + entry + section.entrySuffix);
}

// Returns whether a marker line of the section was found.
bool ReadPass(Context& context, const std::string& path, const Section& section) {
  context.Log(section.startLine);
  LineReader reader;
  if (platform::Status status = reader.Open(path); !status) {
    context.Log("# Can not open ini-File: " + path + " : " + status.reason);
    context.Log(section.endLine);
    return false;
  }
  bool started = false;
  bool ended = false;
  std::string raw;
  while (!ended && reader.Next(raw)) {
    std::string line = util::Trim(raw);
    std::string upper = util::Upper(line);
    if (util::Like(upper, section.opening)) started = true;
    if (util::Like(upper, section.closing)) ended = true;
    if (!line.empty() && started && !ended) TakeEntry(context, path, section, std::move(line));
  }
  if (!reader.status()) {
    context.Log("# Can not read ini-File: " + path + " : " + reader.status().reason);
  } else if (started && !ended) {
    context.Log(std::string("# No line with ") + section.closingWord + " in " + path +
                ": the section ends at the end of the file");
  }
  context.Log(section.endLine);
  return started || ended;
}

}  // namespace

bool ReadNegativeList(Context& context, const std::string& folder) {
  context.SystemFilesList.Clear();
  context.FileNotToConvertList.Clear();
  context.FileToCopyList.Clear();
  if (!platform::Exists(folder + "vantrel.ini")) {
    context.Log("# INI-file not found:" + folder + "vantrel.ini");
    return false;
  }
  context.IniFileName = "vantrel.ini";
  const std::string path = folder + context.IniFileName;
  {
    LineReader probe;
    if (platform::Status status = probe.Open(path); !status) {
      context.Log("# Can not open ini-File: " + path + " : " + status.reason);
      return false;
    }
  }
  context.Log(".Open the File " + path);
  context.Log(". +++ Start analysing INI-file : " + folder + "vantrel.ini");
  bool anySection = false;
  for (const Section& section : kSections) anySection |= ReadPass(context, path, section);
  // A file without any of its sections is no control file (cut off,
  // overwritten, or of another program): the run must not look clean.
  if (!anySection) context.Log("# No section found in ini-File: " + path);
  context.Log(". +++ End analysing INI-file: " + folder + "vantrel.ini");
  return anySection;
}

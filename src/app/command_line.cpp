#include "app/command_line.h"

#include <cstddef>
#include <vector>

namespace {

struct Word {
  std::string gap;   // the blanks before it, as given
  std::string text;  // quotation marks removed
  bool option = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<Word> SplitWords(const std::string& text) {
  std::vector<Word> words;
  std::size_t at = 0;
  bool optionsEnded = false;
  while (at < text.size()) {
    Word word;
    while (at < text.size() && IsBlank(text[at])) word.gap += text[at++];
    if (at == text.size()) break;
    bool quoted = false;
    bool hadQuotes = false;
    for (; at < text.size() && (quoted || !IsBlank(text[at])); ++at) {
      if (text[at] == '"') {
        quoted = !quoted;
        hadQuotes = true;
      } else {
        word.text += text[at] == '/' ? '\\' : text[at];
      }
    }
    // A quoted word is never an option: "-x" in quotation marks is a path.
    word.option = !optionsEnded && !hadQuotes && word.text.size() > 1 && word.text[0] == '-';
    if (word.option && word.text == "--") {
      optionsEnded = true;
      continue;
    }
    words.push_back(word);
  }
  return words;
}

// The words that are no options, joined as they were given.
std::string PathText(const std::vector<Word>& words) {
  std::string text;
  bool first = true;
  for (const Word& word : words) {
    if (word.option) continue;
    text += (first ? "" : word.gap) + word.text;
    first = false;
  }
  return text;
}

// A mistake is told on one line: control characters of the words it
// quotes (a line end among them) are shown by their code, as <0A>.
std::string OneLine(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
      line += std::string("<") + kHex[byte >> 4] + kHex[byte & 0xF] + ">";
    else
      line += c;
  }
  return line;
}

CommandLine Mistake(const std::string& error) {
  CommandLine line;
  line.mode = CommandMode::kMistake;
  line.error = OneLine(error);
  return line;
}

bool IsHelp(const Word& word) {
  return word.option && (word.text == "-h" || word.text == "--help");
}

// Takes one option into line; false with line.error set when it is none
// of the program's. The next word is the value of an option that takes
// one.
bool TakeOption(const Word& word, const Word* next, bool& usedNext, CommandLine& line,
                bool& rollback, bool& format) {
  const std::string& o = word.text;
  const std::string kSummary = "--summary-json";
  if (o == "-n" || o == "--dry-run") {
    line.dryRun = true;
  } else if (o == "--format=json" || o == "--format=text") {
    line.json = o == "--format=json";
    format = true;
  } else if (o == "--no-backup") {
    line.keepBackup = false;
  } else if (o == "-q" || o == "--quiet") {
    line.quiet = true;
  } else if (o == "-v" || o == "--verbose") {
    line.verbose = true;
  } else if (o == "--force") {
    line.force = true;
  } else if (o == "--rollback") {
    rollback = true;
  } else if (o.rfind(kSummary + "=", 0) == 0) {
    line.summaryJson = o.substr(kSummary.size() + 1);
    if (line.summaryJson.empty()) line.error = kSummary + " needs a file name";
  } else if (o == kSummary) {
    if (!next || next->option) {
      line.error = kSummary + " needs a file name";
    } else {
      line.summaryJson = next->text;
      usedNext = true;
    }
  } else {
    line.error = "unknown option " + o + " (vantrel --help shows the usage)";
  }
  return line.error.empty();
}

// What cannot go together, once every option is known.
std::string Conflict(const CommandLine& line, bool rollback, bool format) {
  if (line.quiet && line.verbose) return "--quiet and --verbose exclude each other";
  if (format && !line.dryRun) return "--format goes with --dry-run only";
  if (rollback) {
    if (line.dryRun) return "--dry-run cannot be used with --rollback";
    if (!line.keepBackup) return "--no-backup cannot be used with --rollback";
    if (!line.summaryJson.empty()) return "--summary-json cannot be used with --rollback";
    if (line.quiet || line.verbose) return "--quiet and --verbose cannot be used with --rollback";
    return "";
  }
  if (line.force) return "--force goes with --rollback only";
  return "";
}

// The pair of an upgrade: exactly one "|", a path on either side.
std::string PairMistake(const std::string& paths) {
  const std::size_t bar = paths.find('|');
  if (bar == std::string::npos)
    return "the installations must be given as SOURCE|DESTINATION, the two paths joined by |";
  if (paths.find('|', bar + 1) != std::string::npos)
    return "more than one | in the command line: give one pair SOURCE|DESTINATION";
  auto blankOnly = [](const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
  };
  if (blankOnly(paths.substr(0, bar))) return "the source path before | is missing";
  if (blankOnly(paths.substr(bar + 1))) return "the destination path after | is missing";
  return "";
}

}  // namespace

CommandLine ParseCommandLine(const std::string& text) {
  CommandLine line;
  if (text.empty()) return line;
  const std::vector<Word> words = SplitWords(text);
  for (const Word& word : words)
    if (IsHelp(word)) {
      line.mode = CommandMode::kHelp;
      return line;
    }
  if (words.size() == 1 && words[0].option && words[0].text == "--version") {
    line.mode = CommandMode::kVersion;
    return line;
  }
  bool rollback = false;
  bool format = false;
  std::vector<Word> rest;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (!words[i].option) {
      rest.push_back(words[i]);
      continue;
    }
    if (words[i].text == "--version") return Mistake("--version takes no other argument");
    bool usedNext = false;
    const Word* next = i + 1 < words.size() ? &words[i + 1] : nullptr;
    if (!TakeOption(words[i], next, usedNext, line, rollback, format)) return Mistake(line.error);
    if (usedNext) ++i;
  }
  if (std::string conflict = Conflict(line, rollback, format); !conflict.empty())
    return Mistake(conflict);
  line.paths = PathText(rest);
  if (rollback) {
    if (line.paths.find_first_not_of(" \t") == std::string::npos)
      return Mistake("--rollback needs the backup folder");
    line.mode = CommandMode::kRollback;
    return line;
  }
  if (std::string mistake = PairMistake(line.paths); !mistake.empty()) return Mistake(mistake);
  line.mode = CommandMode::kUpgrade;
  return line;
}

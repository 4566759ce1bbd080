#include "util/exchange_command.h"

#include <vector>

#include "util/strings.h"

namespace foldex {

namespace {

constexpr std::string_view kBlanks = " \t";

// One field between bars, with the blanks on either side of it.
struct Field {
  std::string_view lead;
  std::string_view text;
  std::string_view trail;
};

Field SplitBlanks(std::string_view piece) {
  std::size_t first = piece.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {piece, {}, {}};
  std::size_t end = piece.find_last_not_of(kBlanks) + 1;
  return {piece.substr(0, first), piece.substr(first, end - first), piece.substr(end)};
}

std::vector<Field> SplitFields(std::string_view text) {
  std::vector<Field> fields;
  for (;;) {
    std::size_t bar = text.find('|');
    fields.push_back(SplitBlanks(text.substr(0, bar)));
    if (bar == std::string_view::npos) return fields;
    text = text.substr(bar + 1);
  }
}

std::string BarBetween(const Field& before, const Field& after) {
  return std::string(before.trail) + "|" + std::string(after.lead);
}

void TakeFields(const std::vector<Field>& fields, Command& command) {
  command.file = fields[0].text;
  command.control = fields[1].text;
  command.fileBar = BarBetween(fields[0], fields[1]);
  if (fields.size() == 3) {
    command.source = fields[2].text;
    command.controlBar = BarBetween(fields[1], fields[2]);
  }
  command.modeGap = fields.back().trail;
}

}  // namespace

bool ParseCommandLine(std::string_view text, Command& command) {
  text = SplitBlanks(text).text;
  if (text.size() < 4) return false;
  std::string mode = util::Upper(text.substr(text.size() - 4));
  if (mode != "/TXT" && mode != "/DAT") return false;
  std::vector<Field> fields = SplitFields(text.substr(0, text.size() - 4));
  for (const Field& field : fields)
    if (field.text.empty()) return false;
  command = Command{};
  if (mode == "/TXT" && fields.size() == 2) {
    command.form = Form::kFolds;
  } else if (mode == "/DAT" && fields.size() == 2) {
    command.form = Form::kSetDeclarations;
  } else if (mode == "/DAT" && fields.size() == 3) {
    command.form = Form::kTransfer;
  } else {
    return false;
  }
  TakeFields(fields, command);
  return true;
}

std::string FormatCommandLine(const Command& command) {
  std::string text = command.file + command.fileBar + command.control;
  if (command.form == Form::kTransfer) text += command.controlBar + command.source;
  return text + command.modeGap + (command.form == Form::kFolds ? "/TXT" : "/DAT");
}

}  // namespace foldex

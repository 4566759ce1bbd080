#include <vector>

#include "foldex.h"
#include "text.h"

namespace foldex {

namespace {

std::vector<std::string> SplitFields(std::string_view text) {
  std::vector<std::string> fields;
  for (;;) {
    std::size_t bar = text.find('|');
    fields.emplace_back(Trim(text.substr(0, bar)));
    if (bar == std::string_view::npos) return fields;
    text = text.substr(bar + 1);
  }
}

}  // namespace

bool ParseCommandLine(std::string_view text, Command& command) {
  text = Trim(text);
  if (text.size() < 4) return false;
  std::string mode = Upper(text.substr(text.size() - 4));
  if (mode != "/TXT" && mode != "/DAT") return false;
  std::vector<std::string> fields = SplitFields(text.substr(0, text.size() - 4));
  for (const std::string& field : fields)
    if (field.empty()) return false;
  command = Command{};
  if (mode == "/TXT" && fields.size() == 2) {
    command.form = Form::kFolds;
  } else if (mode == "/DAT" && fields.size() == 2) {
    command.form = Form::kSetDeclarations;
  } else if (mode == "/DAT" && fields.size() == 3) {
    command.form = Form::kTransfer;
    command.source = fields[2];
  } else {
    return false;
  }
  command.file = fields[0];
  command.control = fields[1];
  return true;
}

}  // namespace foldex

#pragma once
// Variable definitions of a data file: a line
//   [declaration words] NAME[index]=value
// such as "DECL FDAT FDEFAULT={...}", "INT MAX_BASE=32" or
// "BASE_NAME[17,]="AXIS1"". A variable is named by NAME with its index, so
// BASE_DATA[3] and BASE_DATA[4] are two variables.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text.h"

namespace foldex {

struct Definition {
  std::string key;             // NAME[index] upper-cased, blanks removed
  std::size_t valueStart = 0;  // offset in the line text just after "="
};

// False for comments and for lines of any other form.
bool ParseDefinition(std::string_view line, Definition& definition);

// The definition line with its value replaced: the declaration words and
// everything up to "=" stay as the line has them.
std::string WithValue(std::string_view line, const Definition& definition,
                      std::string_view value);

struct DefinitionLine {
  std::size_t line = 0;  // line index in the file
  Definition definition;
};
// The definitions of a file in file order, and for each variable the
// positions of its definitions among them.
struct DefinitionIndex {
  std::vector<DefinitionLine> entries;
  std::unordered_map<std::string, std::vector<std::size_t>> byKey;
};
DefinitionIndex IndexDefinitions(std::string_view bytes, const std::vector<Line>& lines);

}  // namespace foldex

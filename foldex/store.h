#pragma once
// The store file that carries saved folds from a save step to its exchange
// step. It lies in the folder of the control file, under the name both
// control files give, and is plain text: a comment line, then each saved
// fold with its marker lines, every line ended by CR LF. The folds at the
// top of that text are the saved ones.

#include <string>
#include <string_view>
#include <vector>

#include "control.h"
#include "folds.h"
#include "text.h"

namespace foldex {

struct StoredFold {
  std::string name;
  std::string key;  // name upper-cased
  std::vector<std::string> lines;  // texts without breaks, marker lines included
};

// The control file's folder followed by the store name.
std::string StorePath(const std::string& controlPath, const std::string& storeName);

// The store text for the given folds of source.
std::string StoreText(std::string_view source, const std::vector<Line>& lines,
                      const std::vector<const Fold*>& saved);

// False with a problem when the store is missing or damaged.
bool ReadStore(const std::string& path, std::vector<StoredFold>& folds, Problems& problems);

}  // namespace foldex

#include "config56/ex_ax_data.h"

#include "util/strings.h"

namespace {
const std::string kNone;
}  // namespace

// The table never holds more than its 36 keys: a linear search is cheaper
// than any index.
void ExAxData::Set(const std::string& key, const std::string& value) {
  for (auto& [k, v] : entries_) {
    if (util::EqualsNoCase(k, key)) {
      v = value;
      return;
    }
  }
  entries_.emplace_back(key, value);
}

const std::string& ExAxData::Get(const std::string& key) const {
  for (const auto& [k, v] : entries_) {
    if (util::EqualsNoCase(k, key)) return v;
  }
  return kNone;
}

std::string AxisKey(const std::string& field, int n) { return field + std::to_string(n); }

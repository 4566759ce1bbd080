#include "edits.h"

#include <algorithm>

namespace foldex {

void Edits::Replace(const std::vector<Line>& lines, std::size_t first, std::size_t last,
                    std::string text) {
  changes_.push_back({lines[first].begin, lines[last].end, std::move(text)});
}

void Edits::Insert(std::size_t offset, std::string text) {
  changes_.push_back({offset, offset, std::move(text)});
}

std::string Edits::Apply(std::string_view bytes) const {
  std::vector<const Change*> order;
  order.reserve(changes_.size());
  for (const Change& change : changes_) order.push_back(&change);
  // Insertions at an offset come before a replacement that starts there;
  // among equals the order of the calls holds.
  std::stable_sort(order.begin(), order.end(), [](const Change* a, const Change* b) {
    if (a->begin != b->begin) return a->begin < b->begin;
    return (a->end == a->begin) && (b->end != b->begin);
  });
  std::string result;
  result.reserve(bytes.size());
  std::size_t copied = 0;
  for (const Change* change : order) {
    result.append(bytes.substr(copied, change->begin - copied));
    result.append(change->text);
    copied = change->end;
  }
  result.append(bytes.substr(copied));
  return result;
}

}  // namespace foldex

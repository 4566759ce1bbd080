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

void Edits::ReplaceBytes(std::size_t begin, std::size_t end, std::string text) {
  changes_.push_back({begin, end, std::move(text)});
}

std::vector<const Edits::Change*> Edits::InOrder() const {
  std::vector<const Change*> order;
  order.reserve(changes_.size());
  for (const Change& change : changes_) order.push_back(&change);
  // Insertions at an offset come before a replacement that starts there;
  // among equals the order of the calls holds.
  std::stable_sort(order.begin(), order.end(), [](const Change* a, const Change* b) {
    if (a->begin != b->begin) return a->begin < b->begin;
    return (a->end == a->begin) && (b->end != b->begin);
  });
  return order;
}

bool Edits::Changes(std::string_view bytes) const {
  for (const Change& change : changes_)
    if (bytes.substr(change.begin, change.end - change.begin) != change.text) return true;
  return false;
}

void Edits::Emit(std::string_view bytes,
                 const std::function<void(std::string_view)>& out) const {
  std::size_t copied = 0;
  for (const Change* change : InOrder()) {
    out(bytes.substr(copied, change->begin - copied));
    out(change->text);
    copied = change->end;
  }
  out(bytes.substr(copied));
}

std::string Edits::Apply(std::string_view bytes) const {
  std::string result;
  result.reserve(bytes.size());
  Emit(bytes, [&](std::string_view piece) { result.append(piece); });
  return result;
}

}  // namespace foldex

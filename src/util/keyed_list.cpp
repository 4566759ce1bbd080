#include "util/keyed_list.h"

#include "util/strings.h"

bool KeyedList::Add(const std::string& text) {
  auto [it, added] = keys_.emplace(util::Upper(text), 1);
  if (added) items_.push_back(text);
  return added;
}

bool KeyedList::Contains(const std::string& key) const {
  return keys_.count(util::Upper(key)) != 0;
}

const std::string& KeyedList::Item(std::size_t position) const {
  return items_.at(removed_ + position - 1);
}

std::string KeyedList::TakeFirst() {
  std::string first = std::move(items_.at(removed_));
  keys_.erase(util::Upper(first));
  ++removed_;
  if (removed_ == items_.size()) {
    items_.clear();
    removed_ = 0;
  }
  return first;
}

void KeyedList::Clear() {
  items_.clear();
  keys_.clear();
  removed_ = 0;
}

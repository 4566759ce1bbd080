#pragma once
// An insertion-ordered list of strings, positions from 1, each entry its
// own key; keys compare without regard to case and a second entry with a
// key already present is not added.

#include <string>
#include <unordered_map>
#include <vector>

class KeyedList {
 public:
  // Adds text under itself as key; false when the key was already there.
  bool Add(const std::string& text);
  bool Contains(const std::string& key) const;
  std::size_t Count() const { return items_.size() - removed_; }
  // Entry at position (from 1).
  const std::string& Item(std::size_t position) const;
  // Removes and returns the first entry; the list must not be empty.
  std::string TakeFirst();
  void Clear();

 private:
  std::vector<std::string> items_;
  std::size_t removed_ = 0;  // entries taken from the front
  std::unordered_map<std::string, int> keys_;  // upper-cased keys
};

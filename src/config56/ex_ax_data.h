#pragma once
// The external-axis data of a 5.x configuration: strings keyed by field
// name and axis number ("Root1", "ET_Name6"), in the order they were stored.

#include <string>
#include <utility>
#include <vector>

class ExAxData {
 public:
  // Stores value under key; a key that is there already gets the new value.
  void Set(const std::string& key, const std::string& value);
  // The value under key, "" when there is none. Keys compare without case.
  const std::string& Get(const std::string& key) const;
  std::size_t size() const { return entries_.size(); }
  const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

// The key of a field of axis n.
std::string AxisKey(const std::string& field, int n);

#pragma once
// The installation paths of a run, parsed from "source|destination".

#include <cstdint>
#include <string>

class LogLibrary;

class CArg {
 public:
  std::string Source;    // the old installation
  std::string Dest;      // the new installation
  std::string Template;  // Dest less its last two components

  // A path below one of the three, joined as the controller's paths are.
  std::string InSource(const std::string& relative) const { return Source + "\\" + relative; }
  std::string InDest(const std::string& relative) const { return Dest + "\\" + relative; }
  std::string InTemplate(const std::string& relative) const {
    return Template + "\\" + relative;
  }

  // Fills the three paths from text and logs up to three lines.
  void init(const std::string& text, LogLibrary& log);

  // 1-based position of ch in text at or after start; 0 when none.
  static std::size_t FindChar(const std::string& text, std::size_t start, char ch);
  static std::string FirstField(const std::string& text);
  static std::string CutPathParts(const std::string& path, int n);
};

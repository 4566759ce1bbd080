#pragma once
// The user-file registry: the user files of one kind found in the source
// installation tree, in the order found. A run holds one per kind; the scan
// that fills it belongs to the user files (userfiles/file_reg.cpp), which
// know the trees and the control ini file.

#include <string>
#include <vector>

struct Context;

class CFileReg {
 public:
  // The registered files, relative paths; position i (from 1) is [i - 1].
  const std::vector<std::string>& FilesToCopy() const { return files_; }
  // Scans the tree below path and appends every user file whose name ends
  // in ext, logging each one.
  void findFilesToConvert(Context& context, const std::string& path, const std::string& ext);

 private:
  std::vector<std::string> files_;
  std::string current_;
};

#pragma once
// Reading and writing the files the exchange program works on.

#include <string>

#include "control.h"

namespace foldex {

// False with one problem when the file cannot be read.
bool ReadText(const std::string& path, std::string& bytes, Problems& problems);
// Replaces the file in one step; false with one problem, the file as it
// was, when that fails.
bool WriteText(const std::string& path, const std::string& bytes, Problems& problems);

}  // namespace foldex

#pragma once
// Reading and writing the files the exchange program works on.

#include <string>

#include "control.h"
#include "edits.h"
#include "platform/platform.h"

namespace foldex {

// False with one problem when the file cannot be read.
bool ReadText(const std::string& path, std::string& bytes, Problems& problems);
// The same for a large file, mapped where the platform can.
bool ReadText(const std::string& path, platform::FileBytes& file, Problems& problems);
// Replaces the file in one step; false with one problem, the file as it
// was, when that fails.
bool WriteText(const std::string& path, const std::string& bytes, Problems& problems);
// The same for bytes with edits applied, written as they are applied.
bool WriteEdited(const std::string& path, std::string_view bytes, const Edits& edits,
                 Problems& problems);

}  // namespace foldex

#pragma once
// Checking that the folds of a user file pair up.

#include <cstddef>
#include <string>

struct Context;

// The check reads the file in pieces of this size.
inline constexpr std::size_t kFoldCheckPieceSize = std::size_t{64} * 1024;

// file: relative to Source. True when no fault was found. A file that
// cannot be read gets one error line and counts as faulty.
bool ParseUserFile(Context& context, const std::string& file);

enum class FoldCheck { kBalanced, kFaulty, kUnreadable };
// ParseUserFile telling a file that cannot be read (vanished, no ordinary
// file) from one whose folds do not pair up: the first cannot be copied
// either and needs no second error line.
FoldCheck CheckUserFile(Context& context, const std::string& file);

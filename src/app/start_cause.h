#pragma once
// The cause of a failed start in plain words, for the summary, where the
// log's own line names a wrong one or leaves out where a path leads.

#include <string>

struct Context;

// Why the source and the destination are not apart: no "|" in the text
// the paths came from, the same folder, or one inside the other.
std::string OverlapCause(const Context& context, const std::string& pathText);

// After a missing installation folder: paths that look swapped, and where
// the path's drive leads when it is not the drive itself. Empty when
// nothing more can be said.
std::string MissingFolderCause(const Context& context);

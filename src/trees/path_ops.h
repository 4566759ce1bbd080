#pragma once
// Path operations of the trees: the path text helpers and folder creation.

#include <string>

#include "util/path_text.h"

class RunLog;

// Creates every missing folder of path, top down, each with its log line.
void MakePath(RunLog& log, const std::string& path);

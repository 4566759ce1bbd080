#pragma once
// The exchange program's operations. (Being built.)
#include <string>
namespace foldex {
int Run(const std::string& argument);
}

// Operations not built yet. Each is replaced by its real implementation.
#include "app/context.h"
#include "userfiles/user_files.h"

void ConvertUserFiles(Context&) {}
void CFileReg::findFilesToConvert(Context&, std::string, const std::string&) {}

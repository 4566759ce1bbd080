// Operations not built yet. Each is replaced by its real implementation.
#include "app/context.h"
#include "trees/attributes.h"
#include "trees/copy.h"
#include "trees/path_ops.h"

void CopyTreeFile(Context&, const std::string&) {}
void CopyParentTreeFile(Context&, const std::string&) {}
void TransferAttributes(Context&) {}

#include "trees/tree_scanner.h"
TreeTool::TreeTool(Context& context) : context_(context) {}
void TreeTool::noMada() { includeMada_ = false; }
void TreeTool::noTP() { includeTP_ = false; }
void TreeTool::rewindFileList() { position_ = 0; }
void TreeTool::setExtensionFilter(const std::string& positiveFilter) { filter_ = positiveFilter; }
std::string TreeTool::getNextFile() { return {}; }
void TreeTool::scanTree(std::string) {}
std::string FileNamePart(const std::string& s) { return s; }
std::string ParentFolder(const std::string& s) { return s; }
void MakePath(Context&, const std::string&) {}

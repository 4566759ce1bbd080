// Operations not built yet. Each is replaced by its real implementation.
#include "app/context.h"
#include "trees/attributes.h"

void TransferAttributes(Context&) {}

// The exchange program. (Being built.)
#include "foldex.h"
int main(int argc, char** argv) { return foldex::Run(argc > 1 ? argv[1] : ""); }

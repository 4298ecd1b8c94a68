// The main that both the "zel" program and libzellib.so export. It is kept
// out of the grammar objects so that programs linking those objects (the
// tests) keep their own main.
#include "common/platform/qz_export.h"
#include "zel/service/command_line.h"

QZ_EXPORT int main(int argc, char** argv) { return zel::ZelMain(argc, argv); }

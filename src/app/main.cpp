// Process entry: runs one conversion, or a batch, and ends with its exit code.
#include "app/entry.h"

int main(int argc, char** argv) { return tavorin::RunProgram(argc, argv); }

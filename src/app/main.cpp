// Process entry: runs one conversion and ends with its exit code.
#include "app/entry.h"

int main(int argc, char** argv) { return tavorin::RunConverter(argc, argv); }

// Process entry: runs one conversion, or a batch, printing on stdout, and ends
// with its exit code.
#include "app/console.h"
#include "app/entry.h"

int main(int argc, char** argv) {
    tavorin::StdoutSink console;
    return tavorin::RunProgram(argc, argv, console);
}

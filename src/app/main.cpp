// Process entry: runs one conversion, printing on stdout, and ends with its exit code.
#include "app/console.h"
#include "app/entry.h"

int main(int argc, char** argv) {
    tavorin::StdoutSink console;
    return tavorin::RunConverter(argc, argv, console);
}

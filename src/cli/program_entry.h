// The program behind h7extract's start: libh7extract.so (h7extract_program.cpp), in the same
// folder as the start, which loads it for every command line but a bare --version.
#pragma once

#define H7EXTRACT_LIBRARY "libh7extract.so"
// Its one exported function, looked up by this name: main's arguments, the exit status.
#define H7EXTRACT_ENTRY "h7extract_run"
extern "C" [[gnu::visibility("default")]] int h7extract_run(int argc, char** argv);

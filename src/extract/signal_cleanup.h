// The temporaries that SIGINT, SIGTERM and SIGHUP remove before they end the program (the
// writer's, extract/output_file.cpp, registers them).
#pragma once

#include <string>

namespace h7 {

// Once per process: SIGINT, SIGTERM and SIGHUP remove the temporaries first, unless the
// program ignores or handles them itself (nohup, say); SIGXFSZ becomes a failed write.
void prepareSignals();
// Registers `name` in the folder (a descriptor kept open) for removal; with `database`,
// SQLite's files beside it too. The place in the list, or -1 when it is full.
int addPendingTemporary(int folder, const std::string& name, bool database);
// Unregisters it (a place of -1 is none) and sets the place to -1.
void dropPendingTemporary(int& place);
// Removes the files SQLite keeps beside a database while it writes: NAME-journal, NAME-wal
// and NAME-shm. Safe in a signal handler: the stack and unlinkat only.
void removeCompanions(int folder, const char* name);

}  // namespace h7

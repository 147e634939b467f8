// The stub platform: a machine kept in memory, for the fuzzers and the interpreter tests of tests/stub/,
// which link it instead of a system's platform. Files and directories, the current directory, the
// environment, the clock and started programs are all the stub's own, so a script can do anything to
// them without touching the machine.
// Floor: platform (src/platform/stub/), in place of posix/ or win32/; may include base/ and platform/.
#pragma once

namespace korvex::platform::stub {

// Empties the machine: one directory /work, current and empty, no environment entries, the clock at
// its start.
void reset_machine();

} // namespace korvex::platform::stub

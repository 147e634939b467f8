// The exit statuses of a program, which the host ends with and the platform names for its failures.
#pragma once

namespace korvex {

// The exit statuses of a program.
namespace exit_status {
// The script ended: the end instruction, a version record of another version, the end of the stream.
inline constexpr int ended = 0;
// It did not run, or not to its end: its executable unreadable, out of memory, no desktop.
inline constexpr int stopped = 1;
// An unattended run met an answer that does not fit its dialog (or, strict, left answers unused).
inline constexpr int answer_misfit = 3;
} // namespace exit_status

} // namespace korvex

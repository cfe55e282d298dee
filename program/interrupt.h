// SIGINT and SIGTERM end a run without losing anything: the handler only
// notes the signal, the run looks at the note between its steps and in the
// transfer loop and takes the one shutdown path, and the process then ends
// by the same signal so that a calling shell knows it was interrupted.
//
// The signals are received on a thread of their own that does nothing else:
// the run's thread keeps them blocked, so its sleeps and waits are never cut
// short, and the receiver sees each signal at once.
// A second signal, of either kind, finds its default action and ends the
// process at once. A signal the caller has ignored stays ignored.
#pragma once

#include <string>

// Starts noting SIGINT and SIGTERM. Call once, before any other thread starts.
void start_catching_interrupts();

// The signal that asked the run to end, or 0.
int interrupting_signal();

// "Interrupted by SIGINT", the line that reports why the run ends early.
std::string interrupted_line(int signal);

// As interrupting_signal(); the first time a signal is seen, whatever step
// the run is at, its line is printed (once for the whole run).
int report_interrupt();

// Stops noting the signals. When one asked the run to end (or comes now),
// its line is printed if it has not been, and the process ends by the
// signal with its default action; this then does not return.
void finish_catching_interrupts();

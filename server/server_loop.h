// Sockets, the poll loop and signals around the protocol.
#pragma once

#include "options.h"

namespace vesksim {

// Serves until SIGINT or SIGTERM (or the first session's end with --once).
// Returns the exit status.
int run_server(const sim_options &options);

}  // namespace vesksim

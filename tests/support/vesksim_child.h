// vesksim as a child process on an ephemeral port of 127.0.0.1. It is
// stopped by its pid: SIGTERM when the test is done with it, and SIGKILL
// when that does not end it within a few seconds. A server that then does
// not end cleanly (status 0) fails the test: a sanitized build reports
// what its shutdown failed to release at exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "child_process.h"
#include "temp_folder.h"

struct vesksim_child {
    // Options follow --listen 127.0.0.1:0 --port-file FILE. With log_unread,
    // standard error is a pipe whose reader has gone (and "log" stays empty).
    explicit vesksim_child(const std::vector<std::string> &options = {}, bool log_unread = false);
    ~vesksim_child();

    std::string address() const;  // "127.0.0.1:PORT"
    // Sends the signal (0: none, the server is to end by itself) and waits
    // for the end; the exit status, or -1 when the server did not exit
    // normally within a few seconds.
    int stop(int signal_number);

    temp_folder folder;  // holds the port file and "log", its standard error
    std::filesystem::path port_file;
    child_process process;
    uint16_t port = 0;
};

// The in-process server: one thread per connection, each answering from
// buffers prepared before the first request, so that it adds next to
// nothing to what is measured.
//   CONNECT      remembers the block size
//   READ_INPUT   a DATA reply of as many whole blocks as asked for (up to the
//                prepared capture), tag 7, sequence counting on
//   STAGE_OUTPUT reads the payload into a scratch buffer
//   anything else an ordinary reply
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

struct bench_server {
    int listen_fd = -1;
    uint16_t port = 0;
    std::vector<uint32_t> capture;  // wire order, served by every read
    size_t stage_bytes = 0;         // scratch size per connection
    std::thread acceptor;
    std::vector<int> session_fds;
    std::vector<std::thread> sessions;
};

constexpr uint32_t bench_capture_tag = 7;

// The host-order value of captured sample `index`.
int32_t capture_sample(size_t index);

bool start_bench_server(bench_server &server, size_t capture_samples, size_t stage_bytes);
// Ends every connection and joins the threads.
void stop_bench_server(bench_server &server);

// Runs vesksim as a child process on 127.0.0.1 and talks to it, through
// veskclient or, for what the library would never send, raw frames.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "veskclient.h"

// A vesksim child on an ephemeral port; the destructor ends it by its pid.
struct running_sim {
    explicit running_sim(std::vector<std::string> options = {});
    ~running_sim();
    running_sim(const running_sim &) = delete;
    running_sim &operator=(const running_sim &) = delete;

    // Sends the signal and waits; returns the exit status, or -1 when the
    // process did not exit normally within a few seconds.
    int stop(int signal_number);
    // Waits for the process to exit by itself; the exit status or -1.
    int wait_exit();
    std::string address() const;

    pid_t pid = -1;
    uint16_t port = 0;
    std::string port_file;
};

struct instance_closer {
    void operator()(vesk_instance *instance) const;
};
using instance_ptr = std::unique_ptr<vesk_instance, instance_closer>;

// A connected client instance; result, when given, receives vesk_connect's code.
instance_ptr connect_client(const running_sim &sim, int32_t block_size,
                            int32_t *result = nullptr);

// Raw frames on a blocking socket with a receive time-out.
struct raw_reply {
    uint32_t magic = 0, status = 0, val0 = 0, val1 = 0, val2 = 0, val3 = 0;
    std::vector<uint8_t> payload;
    std::string text() const { return {payload.begin(), payload.end()}; }
};

int raw_connect(uint16_t port);
bool raw_send_bytes(int fd, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> frame(uint32_t magic, uint32_t command, uint32_t arg0, uint32_t arg1,
                           uint32_t arg2, uint32_t arg3, uint32_t length,
                           const std::vector<uint8_t> &payload = {});
std::optional<raw_reply> raw_receive(int fd);
std::optional<raw_reply> raw_exchange(int fd, uint32_t command, uint32_t arg0 = 0,
                                      uint32_t arg1 = 0, uint32_t arg2 = 0, uint32_t arg3 = 0,
                                      const std::vector<uint8_t> &payload = {});
// True when the peer closes the connection within a few seconds.
bool closed_by_peer(int fd);

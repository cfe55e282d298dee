// Talks to a vesksim child on 127.0.0.1 through veskclient or, for what the
// library would never send, raw frames.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "veskclient.h"
#include "vesksim_child.h"

struct instance_closer {
    void operator()(vesk_instance *instance) const;
};
using instance_ptr = std::unique_ptr<vesk_instance, instance_closer>;

// A connected client instance; result, when given, receives vesk_connect's code.
instance_ptr connect_client(const vesksim_child &sim, int32_t block_size,
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
// A raw connection holding a session of block_size samples.
int raw_session(const vesksim_child &sim, uint32_t block_size);
// True when the peer closes the connection within a few seconds.
bool closed_by_peer(int fd);

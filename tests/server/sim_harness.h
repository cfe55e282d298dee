// Talks to a vesksim child on 127.0.0.1 through veskclient or, for what the
// library would never send, raw frames.
#pragma once

#include <cstdint>
#include <memory>

#include "raw_frames.h"
#include "veskclient.h"
#include "vesksim_child.h"

struct instance_closer {
    void operator()(vesk_instance *instance) const { vesk_shutdown(instance); }  // which disconnects
};
using instance_ptr = std::unique_ptr<vesk_instance, instance_closer>;

// A connected client instance; result, when given, receives vesk_connect's code.
instance_ptr connect_client(const vesksim_child &sim, int32_t block_size, int32_t *result = nullptr);

// A raw connection holding a session of block_size samples.
int raw_session(const vesksim_child &sim, uint32_t block_size);

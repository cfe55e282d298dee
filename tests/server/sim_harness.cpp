#include "sim_harness.h"

#include <stdexcept>

instance_ptr connect_client(const vesksim_child &sim, int32_t block_size, int32_t *result) {
    instance_ptr instance(vesk_init(0, nullptr));
    vesk_control(instance.get(), VESK_CONTROL_BLOCK_SIZE, block_size);
    const int32_t code = vesk_connect(instance.get(), sim.address().c_str());
    if (result != nullptr) *result = code;
    return instance;
}

int raw_session(const vesksim_child &sim, uint32_t block_size) {
    const int fd = raw_connect(sim.port);
    const auto hello = raw_exchange(fd, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, block_size);
    if (!hello || hello->status != 0) throw std::runtime_error("vesksim refused the session");
    return fd;
}

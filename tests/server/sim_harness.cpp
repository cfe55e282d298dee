#include "sim_harness.h"

void instance_closer::operator()(vesk_instance *instance) const {
    vesk_connect(instance, nullptr);
    vesk_shutdown(instance);
}

instance_ptr connect_client(const vesksim_child &sim, int32_t block_size, int32_t *result) {
    instance_ptr instance(vesk_init(0, nullptr));
    vesk_control(instance.get(), VESK_CONTROL_BLOCK_SIZE, block_size);
    const int32_t code = vesk_connect(instance.get(), sim.address().c_str());
    if (result != nullptr) *result = code;
    return instance;
}

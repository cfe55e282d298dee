#include "wire.h"

#include "veskclient.h"

namespace vesksim {

reply ordinary_reply(uint32_t val0, uint32_t val1, uint32_t val2, uint32_t val3) {
    return {{VESK_MAGIC, ordinary_status, val0, val1, val2, val3, 0}, {}, false};
}

reply error_reply(int32_t code, const std::string &text) {
    return {{VESK_MAGIC, VESK_STATUS_ERROR, static_cast<uint32_t>(code), 0, 0, 0, 0},
            payload_bytes(text.begin(), text.end()),
            false};
}

reply data_reply(payload_bytes payload, uint32_t val0, uint32_t val1, uint32_t val2, uint32_t val3) {
    return {{VESK_MAGIC, VESK_STATUS_DATA, val0, val1, val2, val3, 0}, std::move(payload), false};
}

}  // namespace vesksim

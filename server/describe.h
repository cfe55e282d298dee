// Lines of the --verbose log.
#pragma once

#include "connection.h"
#include "wire.h"

#include <cstdint>
#include <string>

namespace vesksim {

std::string describe_request(uint64_t connection_id, const header &request);
std::string describe_reply(const connection &c);
std::string describe_event(uint64_t connection_id, const char *event);

}  // namespace vesksim

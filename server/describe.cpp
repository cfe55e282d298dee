#include "describe.h"

#include "format_text.h"
#include "veskclient.h"

namespace vesksim {

namespace {

const char *command_name(uint32_t command) {
    switch (command) {
    case VESK_CMD_CONNECT: return "CONNECT";
    case VESK_CMD_CONTROL: return "CONTROL";
    case VESK_CMD_STAGE_OUTPUT: return "STAGE_OUTPUT";
    case VESK_CMD_CONTROL_OUTPUT: return "CONTROL_OUTPUT";
    case VESK_CMD_READ_INPUT: return "READ_INPUT";
    case VESK_CMD_QUERY: return "QUERY";
    case VESK_CMD_LINK: return "LINK";
    default: return "unknown command";
    }
}

}  // namespace

std::string describe_request(uint64_t connection_id, const header &request) {
    return format_text("[%llu] request %s (%u) 0x%08X 0x%08X 0x%08X 0x%08X, %u bytes",
                       static_cast<unsigned long long>(connection_id), command_name(request.command), request.command,
                       request.arg0, request.arg1, request.arg2, request.arg3, request.length);
}

std::string describe_reply(const connection &c) {
    const header head = wire::decode_header(c.reply_head.data());
    const auto id = static_cast<unsigned long long>(c.id);
    if (head.status == VESK_STATUS_ERROR)
        return format_text("[%llu] reply ERROR %d \"%.*s\"", id, static_cast<int32_t>(head.arg0),
                           static_cast<int>(c.reply_payload.size()),
                           reinterpret_cast<const char *>(c.reply_payload.data()));
    const char *kind = head.status == VESK_STATUS_DATA ? "DATA" : "ok";
    return format_text("[%llu] reply %s 0x%08X 0x%08X 0x%08X 0x%08X, %u bytes", id, kind, head.arg0, head.arg1,
                       head.arg2, head.arg3, head.length);
}

std::string describe_event(uint64_t connection_id, const char *event) {
    return format_text("[%llu] %s", static_cast<unsigned long long>(connection_id), event);
}

}  // namespace vesksim

// The hardware-settings keywords: fuzz bytes are a -y text for
// parse_hardware_settings, and their first eight bytes a word and mask for
// format_hardware_settings. A parsed text prints back as keywords that parse
// to the same word and mask.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "hardware_settings.h"

namespace {

constexpr uint32_t keyword_fields = 0x07FFFF00;
constexpr uint32_t untouched = 0xA5A5A5A5;

uint32_t word_at(const uint8_t *data, size_t size, size_t offset)
{
    uint32_t value = 0;
    if (size >= offset + 4)
        std::memcpy(&value, data + offset, 4);
    return value;
}

// Whatever word and mask it gets, the printer names only marked fields, with
// known keywords, "?!" for unknown values, and its two separators.
void check_format(uint32_t settings, uint32_t mask)
{
    std::string text = format_hardware_settings(settings, mask);
    require(mask != 0 || text.empty(), "an empty mask prints nothing");
    for (char c : text)
        require((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || std::strchr(",; ?!KH", c), "printed characters");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    check_format(word_at(data, size, 0), word_at(data, size, 4));

    std::string text(reinterpret_cast<const char *>(data), size);
    uint32_t settings = untouched;
    uint32_t mask = untouched;
    int32_t result = parse_hardware_settings(text.c_str(), &settings, &mask);
    require(result == 0 || result == 1, "result 0 or 1");
    require(parse_hardware_settings(text.c_str(), nullptr, nullptr) == result, "null pointers change nothing");
    if (result != 0) {
        require(settings == untouched && mask == untouched, "a refused text stores nothing");
        return 0;
    }
    require((mask & ~keyword_fields) == 0, "keywords mark only their fields");
    require((settings & ~mask) == 0, "keywords set bits only in marked fields");

    uint32_t only_settings = untouched;
    uint32_t only_mask = untouched;
    parse_hardware_settings(text.c_str(), &only_settings, nullptr);
    parse_hardware_settings(text.c_str(), nullptr, &only_mask);
    require(only_settings == settings && only_mask == mask, "either pointer alone gets the same result");

    // A later keyword of a field replaces the earlier one, so every value prints as a keyword.
    std::string printed = format_hardware_settings(settings, mask);
    require(printed.find("?!") == std::string::npos, "parsed values are keywords");
    uint32_t reread_settings = 0;
    uint32_t reread_mask = 0;
    require(parse_hardware_settings(printed.c_str(), &reread_settings, &reread_mask) == 0, "printed keywords parse");
    require(reread_settings == settings && reread_mask == mask, "printed keywords parse to the same word");
    return 0;
}

// The hardware-settings keywords: fuzz bytes are a -y text for
// parse_hardware_settings, and their first eight bytes a word and mask for
// format_hardware_settings. A parsed text prints back as keywords that parse
// to the same word and mask.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "hardware_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Whatever word and mask it gets, the printer names only marked fields,
    // with known keywords, "?!" for unknown values, and its two separators.
    uint32_t word_and_mask[2] = {};
    std::memcpy(word_and_mask, data, std::min<size_t>(size, 8) & ~size_t{3});
    const std::string formatted = format_hardware_settings(word_and_mask[0], word_and_mask[1]);
    require(word_and_mask[1] != 0 || formatted.empty(), "an empty mask prints nothing");
    for (char c : formatted)
        require((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || std::strchr(",; ?!KH", c), "printed characters");

    const std::string text(reinterpret_cast<const char *>(data), size);
    constexpr uint32_t untouched = 0xA5A5A5A5;
    uint32_t settings = untouched, mask = untouched, only_settings = untouched, only_mask = untouched;
    const int32_t result = parse_hardware_settings(text.c_str(), &settings, &mask);
    parse_hardware_settings(text.c_str(), &only_settings, nullptr);
    parse_hardware_settings(text.c_str(), nullptr, &only_mask);
    require(result == 0 || result == 1, "result 0 or 1");
    require(parse_hardware_settings(text.c_str(), nullptr, nullptr) == result, "null pointers change nothing");
    require(only_settings == settings && only_mask == mask, "either pointer alone gets the same result");
    if (result != 0) {
        require(settings == untouched && mask == untouched, "a refused text stores nothing");
        return 0;
    }
    require((mask & ~0x07FFFF00u) == 0, "keywords mark only their fields");
    require((settings & ~mask) == 0, "keywords set bits only in marked fields");

    // A later keyword of a field replaces the earlier one, so every value prints as a keyword.
    const std::string printed = format_hardware_settings(settings, mask);
    require(printed.find("?!") == std::string::npos, "parsed values are keywords");
    uint32_t reread_settings = 0, reread_mask = 0;
    require(parse_hardware_settings(printed.c_str(), &reread_settings, &reread_mask) == 0, "printed keywords parse");
    require(reread_settings == settings && reread_mask == mask, "printed keywords parse to the same word");
    return 0;
}

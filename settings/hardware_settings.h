// The Plenar-C3 hardware settings word and mask: keyword parsing and printing.
// Layout (bit 0 least significant): 0-3 master state, 8-11 receiver B,
// 12-15 receiver A, 16-19 aux, 20-23 mic amp, 24 mic preamp, 25 mic bias,
// 26 probe power. The mask marks a field by setting any of its bits.
#pragma once

#include <cstdint>
#include <string>

// 0 when the whole text is keywords and separators (results stored through
// the non-null pointers), 1 otherwise (nothing stored).
int32_t parse_hardware_settings(const char *text, uint32_t *settings, uint32_t *mask);

// The keywords of the fields that mask marks, as interpret_hardware_settings prints them.
std::string format_hardware_settings(uint32_t settings, uint32_t mask);

// Prints format_hardware_settings() on standard output, without a line end.
void interpret_hardware_settings(uint32_t settings, uint32_t mask);

// The multitone figures as text: the table's section and the JSON object.
// Values are formatted here and nowhere else, so the two always agree.
#pragma once

#include <string>

#include "multitone.h"

// A crosstalk cell as read: "-99.98", "< -131.20" below the floor, "n/a".
std::string crosstalk_text(const crosstalk_cell &cell);

std::string multitone_table(const multitone_result &r, double rate);
// The value of a "multitone" key, indented to sit in the top-level object.
std::string multitone_json(const multitone_result &r, double rate);

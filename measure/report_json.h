// Every figure, unit and verdict as JSON.
#pragma once

#include <string>

#include "measurement.h"

std::string format_json(const measurement &m);
// text as a JSON string, valid whatever bytes it holds.
std::string json_quoted(const std::string &text);

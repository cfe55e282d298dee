// Every figure, unit and verdict as JSON.
#pragma once

#include <string>

#include "measurement.h"

std::string format_json(const measurement &m);

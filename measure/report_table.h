// The readable report on standard output.
#pragma once

#include <string>

#include "measurement.h"

std::string format_table(const measurement &m);

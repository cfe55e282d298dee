// A JUnit report for CI dashboards: one test case per channel and limit.
#pragma once

#include <string>

#include "measurement.h"

std::string format_junit(const measurement &m);

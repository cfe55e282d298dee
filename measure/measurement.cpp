#include "measurement.h"

bool measurement::pass() const { return failures() == 0; }

int measurement::failures() const {
    int count = 0;
    for (const limit_result &r : results) count += r.pass ? 0 : 1;
    return count;
}

#include "figures.h"

#include <cmath>

double dbfs_of_mean_square(double mean_square) { return 10.0 * std::log10(2.0 * mean_square); }

double db_of_ratio(double power_ratio) { return 10.0 * std::log10(power_ratio); }

double percent_of_db(double db) { return 100.0 * std::pow(10.0, db / 20); }

#ifndef VELMORA_BENCH_MEDIAN_H
#define VELMORA_BENCH_MEDIAN_H

#include <algorithm>

/// The middle one of the values (of an even count, the upper of the two).
template <typename Values> double median(Values values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

#endif

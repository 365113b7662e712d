#pragma once

#include <algorithm>

namespace robot {

// The wait before trying again something that keeps failing (a server gone, a file locked, a
// printer offline): `firstMs` after the first failure, then twice as long each time, never more
// than `capMs`, so a fault that lasts is not hammered and one that passes is soon noticed.
struct RetryDelay {
    int firstMs;
    int capMs;

    // The wait after `failures` failed attempts in a row (1 for the first failure).
    constexpr int afterFailures(int failures) const {
        long long delay = firstMs;
        for (int i = 1; i < failures && delay < capMs; ++i)
            delay *= 2;
        return int(std::min<long long>(delay, capMs));
    }
};

} // namespace robot

#pragma once

#include "link/waits.h"

#include <QList>
#include <ostream>

// Records every wait the code under test asks for (its time and how it ended) while it
// lives, so that a test checks the waits themselves instead of a clock, which a loaded
// machine or a sanitizer slows.
struct WaitLog {
    using List = QList<waits::Record>;

    WaitLog()
    {
        waits::setWatcher([this](const waits::Record &r) { records << r; });
    }
    ~WaitLog() { waits::setWatcher({}); }
    WaitLog(const WaitLog &) = delete;
    WaitLog &operator=(const WaitLog &) = delete;

    // The records so far; the log starts afresh.
    List take()
    {
        List r;
        r.swap(records);
        return r;
    }

    // The waits given ms, in the order they ended: a pause told apart from the waits of the
    // commands around it (whose rest after a silent reader depends on the clock).
    static List of(const List &records, int ms)
    {
        List r;
        for (const waits::Record &w : records)
            if (w.ms == ms)
                r << w;
        return r;
    }
    List of(int ms) const { return of(records, ms); }

    List records;
};

namespace waits
{
inline void PrintTo(const Record &r, std::ostream *os)
{
    *os << r.ms << " ms "
        << (r.end == End::Condition ? "ended by its condition"
            : r.end == End::Time    ? "ran out"
                                    : "cancelled");
}
} // namespace waits

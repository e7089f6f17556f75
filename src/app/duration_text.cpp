#include "app/duration_text.h"

#include <QLocale>
#include <QObject>
#include <array>
#include <cmath>

namespace dorvanix {

QString durationText(double seconds) {
    struct Unit {
        double seconds;
        const char* one;
        const char* many;
    };
    static constexpr std::array<Unit, 6> kUnits = {{
        {365.25 * 86400, QT_TR_NOOP("1 year"), QT_TR_NOOP("%1 years")},
        {30.44 * 86400, QT_TR_NOOP("1 month"), QT_TR_NOOP("%1 months")},
        {86400, QT_TR_NOOP("1 day"), QT_TR_NOOP("%1 days")},
        {3600, QT_TR_NOOP("1 hour"), QT_TR_NOOP("%1 hours")},
        {60, QT_TR_NOOP("1 minute"), QT_TR_NOOP("%1 minutes")},
        {1, QT_TR_NOOP("1 second"), QT_TR_NOOP("%1 seconds")},
    }};
    if (!(seconds < 1e6 * kUnits.front().seconds)) return QObject::tr("more than a million years");
    // The largest unit the time holds at least once.
    for (const Unit& unit : kUnits) {
        const double count = std::round(seconds / unit.seconds);
        if (count >= 2) return QObject::tr(unit.many).arg(QLocale().toString(count, 'f', 0));
        if (seconds >= unit.seconds) return QObject::tr(unit.one);
    }
    return QObject::tr("less than a second");
}

}  // namespace dorvanix

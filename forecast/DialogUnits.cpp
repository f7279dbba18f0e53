#include "forecast/DialogUnits.h"

#include <QFontMetrics>

namespace tavelin {

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    x = metrics.averageCharWidth() / 4.0;
    y = metrics.height() / 8.0;
}

QRect DialogUnits::toPixels(const QRect &units) const
{
    return QRect(qRound(units.x() * x), qRound(units.y() * y), qRound(units.width() * x),
                 qRound(units.height() * y));
}

} // namespace tavelin

#pragma once

#include <QRect>

class QFont;

namespace tavelin {

// The forms keep their templates' geometry in dialog units: x in quarters of
// the font's average character width, y in eighths of its height.
struct DialogUnits
{
    double x = 1;
    double y = 1;

    explicit DialogUnits(const QFont &font);
    QRect toPixels(const QRect &units) const;
};

} // namespace tavelin

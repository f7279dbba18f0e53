#include "data/TextFormat.h"

namespace tavelin {

int gbkWidth(QStringView text) noexcept
{
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        // A surrogate pair is one character, two bytes wide as any other.
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        width += ch.unicode() < 0x80 ? 1 : 2;
    }
    return width;
}

QString padRight(QStringView text, int width)
{
    const int blanks = width - gbkWidth(text);
    return blanks > 0 ? text + QString(blanks, u' ') : text.toString();
}

QString padLeft(QStringView text, int width)
{
    const int blanks = width - gbkWidth(text);
    return blanks > 0 ? QString(blanks, u' ') + text : text.toString();
}

} // namespace tavelin

// leadingInt, the reading of every number taken from the database or a cell.

#include "FuzzInput.h"

#include "data/RecordSet.h"

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;
using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

// The same reading, the long way round: take the digits as a text and let the
// size of the number decide saturation.
qint64 reference(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && QStringView(u" \t\n\v\f\r").contains(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    while (i < text.size() && text[i] == u'0')
        ++i;
    QString digits;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && digits.size() < 12)
        digits += text[i++];
    const qint64 magnitude = digits.isEmpty() ? 0 : digits.toLongLong();
    const qint64 value = negative ? -magnitude : magnitude;
    return std::clamp<qint64>(value, INT_MIN, INT_MAX);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const int value = leadingInt(text);
    check(value == reference(text), "differs from the long reading", text);
    check(leadingInt(QString(text + u'x')) == value, "a trailing non-digit changed the value", text);
    check(leadingInt(QString(u" \t"_s + text)) == value, "leading blanks changed the value", text);
    check(leadingInt(numberText(value)) == value, "numberText does not read back", text);
    return 0;
}

// The room grade box text: parseGradeList and formatGradeList.

#include "FuzzInput.h"

#include "forecast/GradeList.h"

#include <optional>

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

bool isPlainCodeChar(QChar c)
{
    return c.isLetterOrNumber() || QStringView(u"_-./#+").contains(c);
}

bool isBlankOnly(const QString &code)
{
    for (QChar c : code) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

// The in-list must be SQL string literals joined by commas and nothing else:
// read it as SQL reads it and return the literals' values.
std::optional<QStringList> sqlLiterals(const QString &list)
{
    QStringList values;
    if (list.isEmpty())
        return values;
    qsizetype i = 0;
    for (;;) {
        if (i >= list.size() || list[i] != u'\'')
            return std::nullopt;
        ++i;
        QString value;
        for (;;) {
            if (i >= list.size())
                return std::nullopt;
            if (list[i] == u'\'') {
                if (i + 1 < list.size() && list[i + 1] == u'\'') {
                    value += u'\'';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            value += list[i++];
        }
        values.append(value);
        if (i == list.size())
            return values;
        if (list[i] != u',')
            return std::nullopt;
        ++i;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzText(data, size);

    // The box text as typed.
    if (const std::optional<QStringList> codes = parseGradeList(text)) {
        check(!isBlankOnly(text) || codes->isEmpty(), "blank text gave codes", text);
        for (const QString &code : *codes)
            check(!isBlankOnly(code), "a code is empty or blank", text);
        if (!text.contains(u'\'')) {
            for (const QString &code : *codes) {
                for (QChar c : code)
                    check(isPlainCodeChar(c), "an unquoted code holds a character that needs quotes", text);
            }
        }

        const QString list = formatGradeList(*codes);
        const std::optional<QStringList> literals = sqlLiterals(list);
        check(literals.has_value(), "the in-list is not literals and commas only", list);
        check(*literals == *codes, "the in-list's literals are not the codes", list);
        check(parseGradeList(list) == codes, "parse, format, parse changed the codes", text);
        check(formatGradeList(*parseGradeList(list)) == list, "format is not stable", list);
    } else {
        check(!isBlankOnly(text), "blank text refused", text);
    }

    // Any codes at all, one a line, as a picker or a caller may hand them over.
    const QStringList codes = text.isEmpty() ? QStringList() : fuzzParts(text, u'\n');
    bool readable = true;
    for (const QString &code : codes)
        readable = readable && !isBlankOnly(code);
    const QString list = formatGradeList(codes);
    check(sqlLiterals(list) == codes, "the in-list's literals are not the codes", list);
    const std::optional<QStringList> back = parseGradeList(list);
    if (readable)
        check(back == codes, "formatted codes do not read back", list);
    else
        check(!back.has_value(), "a list with an empty or blank code was accepted", list);
    return 0;
}

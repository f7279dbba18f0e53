#include "forecast/GradeList.h"

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

bool isPlainCodeChar(QChar c)
{
    if (c.isLetterOrNumber())
        return true;
    switch (c.unicode()) {
    case u'_':
    case u'-':
    case u'.':
    case u'/':
    case u'#':
    case u'+':
        return true;
    default:
        return false;
    }
}

bool isBlankOnly(const QString &code)
{
    for (QChar c : code) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

} // namespace

std::optional<QStringList> parseGradeList(QStringView text)
{
    QStringList codes;
    const qsizetype size = text.size();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < size && text[i].isSpace())
            ++i;
    };

    skipBlanks();
    if (i == size)
        return codes;

    for (;;) {
        skipBlanks();
        QString code;
        if (i < size && text[i] == u'\'') {
            ++i;
            bool closed = false;
            while (i < size) {
                if (text[i] == u'\'') {
                    if (i + 1 < size && text[i + 1] == u'\'') {
                        code += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                code += text[i++];
            }
            if (!closed || isBlankOnly(code))
                return std::nullopt;
        } else {
            const qsizetype start = i;
            while (i < size && isPlainCodeChar(text[i]))
                ++i;
            code = text.sliced(start, i - start).toString();
            if (code.isEmpty())
                return std::nullopt;
        }
        codes.append(code);

        skipBlanks();
        if (i == size)
            return codes;
        if (text[i] != u',')
            return std::nullopt;
        ++i;
    }
}

QString formatGradeList(const QStringList &codes)
{
    QString list;
    for (const QString &code : codes) {
        if (!list.isEmpty())
            list += u',';
        QString quoted = code;
        quoted.replace(u'\'', u"''"_s);
        list += u'\'' % quoted % u'\'';
    }
    return list;
}

} // namespace tavelin

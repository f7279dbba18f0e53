#include "FuzzInput.h"

#include <QCoreApplication>

#include <memory>

using namespace Qt::StringLiterals;

namespace tavelin::fuzz {

QString fuzzText(const std::uint8_t *data, std::size_t size)
{
    QString text;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < size) {
        if (data[i] != 0xFF) {
            ++i;
            continue;
        }
        text += QString::fromUtf8(reinterpret_cast<const char *>(data + start), qsizetype(i - start));
        if (i + 2 < size)
            text += QChar(char16_t((data[i + 1] << 8) | data[i + 2]));
        i += 3;
        start = i;
    }
    if (start < size)
        text += QString::fromUtf8(reinterpret_cast<const char *>(data + start), qsizetype(size - start));
    return text;
}

QStringList fuzzParts(const QString &text, QChar separator)
{
    return text.split(separator, Qt::KeepEmptyParts);
}

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "tavelin-fuzz";
    static char *argv[] = {name, nullptr};
    static const std::unique_ptr<QCoreApplication> app = [] {
        return QCoreApplication::instance() ? nullptr : std::make_unique<QCoreApplication>(argc, argv);
    }();
}

void fail(const char *what, const QString &detail)
{
    QString escaped;
    for (QChar c : detail) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            escaped += c;
        else
            escaped += u"\\u"_s + QString::number(c.unicode(), 16).rightJustified(4, u'0');
    }
    std::fprintf(stderr, "fuzz check failed: %s\n  %s\n", what, escaped.toLatin1().constData());
    std::abort();
}

} // namespace tavelin::fuzz

#include "host/SheetWriters.h"

#include "controls/SheetModel.h"

#include <QByteArray>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace tavelin::host {

namespace {

bool writeAll(QIODevice &out, const QByteArray &bytes)
{
    return out.write(bytes) == bytes.size();
}

void appendCsvField(QString &line, const QString &text)
{
    const bool quoted = text.contains(u',') || text.contains(u'"') || text.contains(u'\r')
                        || text.contains(u'\n');
    if (!quoted) {
        line += text;
        return;
    }
    line += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

QJsonValue colourValue(std::optional<Colour> colour)
{
    if (!colour)
        return QJsonValue(QJsonValue::Null);
    return QJsonValue(qint64(*colour));
}

// The wide and full-width blocks of Unicode's East Asian Width property, in
// the coarse form terminals use.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || c == 0x2329 || c == 0x232A
           || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF)
           || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF)
           || (c >= 0xA000 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
           || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
           || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6)
           || (c >= 0x1F300 && c <= 0x1F64F) || (c >= 0x1F900 && c <= 0x1F9FF)
           || (c >= 0x20000 && c <= 0x2FFFD) || (c >= 0x30000 && c <= 0x3FFFD);
}

// Counts, shares and rates: "-3", "12.5", "12.5%", "100%".
bool looksNumeric(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && text[i] == u'-')
        ++i;
    const qsizetype firstDigit = i;
    while (i < text.size() && text[i].isDigit())
        ++i;
    if (i == firstDigit)
        return false;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        const qsizetype firstDecimal = i;
        while (i < text.size() && text[i].isDigit())
            ++i;
        if (i == firstDecimal)
            return false;
    }
    if (i < text.size() && text[i] == u'%')
        ++i;
    return i == text.size();
}

} // namespace

int displayWidth(QStringView text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            continue;
        switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_Enclosing:
        case QChar::Other_Format:
            continue;
        default:
            break;
        }
        width += isWide(c) ? 2 : 1;
    }
    return width;
}

bool writeCsv(const SheetModel &sheet, QIODevice &out)
{
    QString line;
    for (int r = 0; r <= sheet.maxRows(); ++r) {
        line.clear();
        for (int c = 0; c <= sheet.maxCols(); ++c) {
            if (c > 0)
                line += u',';
            appendCsvField(line, sheet.cellText(c, r));
        }
        line += u'\n';
        if (!writeAll(out, line.toUtf8()))
            return false;
    }
    return true;
}

bool writeJson(const SheetModel &sheet, QIODevice &out)
{
    // One row at a time through QJsonDocument, so that the largest grid never
    // sits in memory twice over as JSON values.
    const QByteArray head = "{\"rows\":" + QByteArray::number(sheet.maxRows() + 1) + ",\"columns\":"
                            + QByteArray::number(sheet.maxCols() + 1) + ",\"cells\":[\n";
    if (!writeAll(out, head))
        return false;
    for (int r = 0; r <= sheet.maxRows(); ++r) {
        QJsonArray row;
        for (int c = 0; c <= sheet.maxCols(); ++c) {
            row.append(QJsonObject{{u"text"_s, sheet.cellText(c, r)},
                                   {u"fore"_s, colourValue(sheet.cellForeColor(c, r))},
                                   {u"back"_s, colourValue(sheet.cellBackColor(c, r))}});
        }
        QByteArray bytes = QJsonDocument(row).toJson(QJsonDocument::Compact);
        bytes += r < sheet.maxRows() ? ",\n" : "\n";
        if (!writeAll(out, bytes))
            return false;
    }
    return writeAll(out, "]}\n");
}

bool writeTextTable(const SheetModel &sheet, QIODevice &out)
{
    const int columns = sheet.maxCols() + 1;
    std::vector<int> widths(std::size_t(columns), 0);
    for (int r = 0; r <= sheet.maxRows(); ++r) {
        for (int c = 0; c < columns; ++c)
            widths[std::size_t(c)] = std::max(widths[std::size_t(c)], displayWidth(sheet.cellText(c, r)));
    }

    QString line;
    for (int r = 0; r <= sheet.maxRows(); ++r) {
        line.clear();
        int pending = 0; // blanks owed before the next text; dropped at the end of the line
        for (int c = 0; c < columns; ++c) {
            const QString text = sheet.cellText(c, r);
            const int gap = widths[std::size_t(c)] - displayWidth(text);
            if (c > 0)
                pending += 2;
            // The row headings stay left-aligned, whatever they look like.
            if (c > 0 && looksNumeric(text))
                pending += gap;
            if (!text.isEmpty()) {
                line += QString(pending, u' ');
                line += text;
                pending = 0;
            }
            if (c == 0 || !looksNumeric(text))
                pending += gap;
        }
        line += u'\n';
        if (!writeAll(out, line.toUtf8()))
            return false;
    }
    return true;
}

} // namespace tavelin::host

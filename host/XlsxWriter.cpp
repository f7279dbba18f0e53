#include "host/XlsxWriter.h"

#include "host/SheetWriters.h"

#include <QFile>
#include <QHash>

#include <xlsxwriter.h>

#include <algorithm>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace tavelin::host {

namespace {

constexpr quint32 NoColour = 0xFFFFFFFFu;

// "0", "-12", "345": no sign on zero, no leading zeros, fits an int, so that
// codes such as "007" stay text.
std::optional<double> plainInteger(const QString &text)
{
    const qsizetype digitsFrom = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digits = text.size() - digitsFrom;
    if (digits < 1 || digits > 9)
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    }
    if (text[digitsFrom] == u'0' && (digits > 1 || digitsFrom == 1))
        return std::nullopt;
    return double(text.toInt());
}

lxw_color_t libraryColour(Colour colour)
{
    // The library reads 0 as "no colour" and spells black its own way.
    const quint32 rgb = xlsxRgb(colour);
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : lxw_color_t(rgb);
}

class Workbook
{
public:
    explicit Workbook(const QString &fileName)
        : m_fileName(fileName)
    {
        lxw_workbook_options options{};
        // Rows go to a temporary file as they are finished; the largest grid
        // would otherwise be held twice over.
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(QFile::encodeName(fileName).constData(), &options);
    }

    ~Workbook()
    {
        if (m_book)
            lxw_workbook_free(m_book);
    }

    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const noexcept { return m_book; }

    // Assembles the file; the workbook is gone afterwards either way.
    lxw_error close()
    {
        const lxw_error result = workbook_close(std::exchange(m_book, nullptr));
        if (result != LXW_NO_ERROR)
            QFile::remove(m_fileName);
        return result;
    }

private:
    QString m_fileName;
    lxw_workbook *m_book = nullptr;
};

// One format per pair of colours in use, not one per cell.
class FormatCache
{
public:
    explicit FormatCache(lxw_workbook *book)
        : m_book(book)
    {
    }

    // Nothing (the default format) for a cell without colours; null when
    // the library could not make one.
    std::optional<lxw_format *> format(std::optional<Colour> fore, std::optional<Colour> back)
    {
        if (!fore && !back)
            return std::optional<lxw_format *>(nullptr);
        const quint64 key = (quint64(fore.value_or(NoColour)) << 32) | back.value_or(NoColour);
        if (const auto found = m_formats.constFind(key); found != m_formats.constEnd())
            return *found;
        lxw_format *made = workbook_add_format(m_book);
        if (!made)
            return std::nullopt;
        if (fore)
            format_set_font_color(made, libraryColour(*fore));
        if (back) {
            format_set_pattern(made, LXW_PATTERN_SOLID);
            format_set_bg_color(made, libraryColour(*back));
        }
        m_formats.insert(key, made);
        return made;
    }

private:
    lxw_workbook *m_book;
    QHash<quint64, lxw_format *> m_formats;
};

QString failure(const QString &fileName, const QString &what, lxw_error error)
{
    return u"cannot write %1: %2: %3"_s.arg(fileName, what, QString::fromUtf8(lxw_strerror(error)));
}

} // namespace

QString writeXlsx(const SheetModel &sheet, const XlsxPage &page, const QString &fileName)
{
    Workbook book(fileName);
    if (!book.get())
        return u"cannot write %1: the workbook could not be created"_s.arg(fileName);

    lxw_worksheet *worksheet = workbook_add_worksheet(book.get(), page.sheetName.toUtf8().constData());
    lxw_format *bold = workbook_add_format(book.get());
    if (!worksheet || !bold)
        return u"cannot write %1: the worksheet could not be created"_s.arg(fileName);
    format_set_bold(bold);

    const int columns = sheet.maxCols() + 1;
    const lxw_row_t gridTop = lxw_row_t(page.criteria.size()) + 2;
    if (columns > LXW_COL_MAX || lxw_row_t(sheet.maxRows()) + gridTop >= LXW_ROW_MAX)
        return u"cannot write %1: the grid has more cells than a worksheet"_s.arg(fileName);

    // Widths first: columns the sheet gives none take their widest cell.
    for (int c = 0; c < columns; ++c) {
        double width = sheet.colWidth(c);
        if (width < 0) {
            int widest = 0;
            for (int r = 0; r <= sheet.maxRows(); ++r)
                widest = std::max(widest, displayWidth(sheet.cellText(c, r)));
            width = std::clamp(widest + 1, 6, 60);
        }
        const lxw_error result = worksheet_set_column(worksheet, lxw_col_t(c), lxw_col_t(c), width, nullptr);
        if (result != LXW_NO_ERROR)
            return failure(fileName, u"column width"_s, result);
    }
    worksheet_freeze_panes(worksheet, gridTop + 1, 1);

    // Row by row from the top, as constant-memory mode needs.
    lxw_error result = worksheet_write_string(worksheet, 0, 0, page.title.toUtf8().constData(), bold);
    if (result != LXW_NO_ERROR)
        return failure(fileName, u"the title"_s, result);
    for (qsizetype i = 0; i < page.criteria.size(); ++i) {
        const auto row = lxw_row_t(i + 1);
        const auto &[label, value] = page.criteria[i];
        result = worksheet_write_string(worksheet, row, 0, label.toUtf8().constData(), bold);
        if (result == LXW_NO_ERROR)
            result = worksheet_write_string(worksheet, row, 1, value.toUtf8().constData(), nullptr);
        if (result != LXW_NO_ERROR)
            return failure(fileName, u"the criteria"_s, result);
    }

    FormatCache formats(book.get());
    for (int r = 0; r <= sheet.maxRows(); ++r) {
        const lxw_row_t row = gridTop + lxw_row_t(r);
        for (int c = 0; c < columns; ++c) {
            const auto column = lxw_col_t(c);
            const std::optional<lxw_format *> format
                = formats.format(sheet.cellForeColor(c, r), sheet.cellBackColor(c, r));
            if (!format)
                return u"cannot write %1: a cell format could not be created"_s.arg(fileName);
            const QString text = sheet.cellText(c, r);
            if (const std::optional<double> number = plainInteger(text))
                result = worksheet_write_number(worksheet, row, column, *number, *format);
            else if (text.isEmpty())
                result = *format ? worksheet_write_blank(worksheet, row, column, *format) : LXW_NO_ERROR;
            else
                result = worksheet_write_string(worksheet, row, column, text.toUtf8().constData(), *format);
            if (result != LXW_NO_ERROR)
                return failure(fileName, u"cell %1,%2"_s.arg(c).arg(r), result);
        }
    }

    result = book.close();
    if (result != LXW_NO_ERROR)
        return failure(fileName, u"closing the workbook"_s, result);
    return QString();
}

} // namespace tavelin::host

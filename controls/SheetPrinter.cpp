#include "controls/SheetPrinter.h"

#include "controls/SheetModel.h"

#include <QColor>
#include <QFontMetricsF>
#include <QLineF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

constexpr double DefaultColumnChars = 8.0;
// Rounding in the width sums must not push a column that fits onto the next page.
constexpr double Slack = 1e-6;

QColor colourOf(Colour colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void installFontSubstitutions()
{
    // Function-local static: once per process, before the first font is matched.
    static const bool installed = [] {
        QFont::insertSubstitutions(u"黑体"_s, {u"WenQuanYi Zen Hei"_s, u"Noto Sans CJK SC"_s,
                                               u"Droid Sans Fallback"_s});
        QFont::insertSubstitutions(u"宋体"_s, {u"AR PL UMing CN"_s, u"AR PL SungtiL GB"_s,
                                               u"Noto Serif CJK SC"_s});
        return true;
    }();
    Q_UNUSED(installed)
}

QString pageNumberText(int page, int count)
{
    return u"第 %1 页 / 共 %2 页"_s.arg(page).arg(count);
}

} // namespace

SheetPrinter::SheetPrinter(const SheetModel &sheet)
    : m_sheet(sheet)
    , m_header(parsePrintHeader(sheet.printHeader()))
{
    installFontSubstitutions();
}

QFont SheetPrinter::cellFont()
{
    installFontSubstitutions();
    QFont font;
    font.setFamilies({u"WenQuanYi Zen Hei"_s, u"Noto Sans CJK SC"_s, u"Sans Serif"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9);
    return font;
}

QFont SheetPrinter::headerFont(const PrintFont &font)
{
    installFontSubstitutions();
    QFont result = cellFont();
    if (!font.face.isEmpty())
        result.setFamilies({font.face});
    result.setPointSizeF(font.pointSize);
    result.setBold(font.bold);
    result.setItalic(font.italic);
    result.setUnderline(font.underline);
    result.setStrikeOut(font.strikeOut);
    return result;
}

const std::vector<SheetPrinter::Page> &SheetPrinter::paginate(const QPaintDevice &device)
{
    const double pageWidth = device.width();
    const double pageHeight = device.height();
    const QFontMetricsF cell(cellFont(), &device);
    // A character is a digit's width, as spreadsheets count it: the CJK face's
    // average is narrower than its digits and would clip the day headings.
    const double charWidth = std::max(cell.averageCharWidth(), cell.horizontalAdvance(u'0'));
    m_padding = charWidth / 4;
    m_rowHeight = cell.height() * 1.4;

    m_headerLines.clear();
    m_headerHeight = 0;
    for (const PrintLine &line : m_header.lines) {
        HeaderLine measured;
        if (line.runs.empty()) {
            measured.height = QFontMetricsF(headerFont(PrintFont()), &device).lineSpacing();
        }
        for (const PrintRun &run : line.runs) {
            const QFontMetricsF metrics(headerFont(m_header.font(run.font)), &device);
            measured.height = std::max(measured.height, metrics.lineSpacing());
            measured.ascent = std::max(measured.ascent, metrics.ascent());
        }
        m_headerLines.push_back(measured);
        m_headerHeight += measured.height;
    }
    if (m_headerHeight > 0)
        m_headerHeight += cell.lineSpacing() / 2;
    m_footerHeight = cell.lineSpacing() * 1.5;

    const int columns = m_sheet.maxCols();
    const int rows = m_sheet.maxRows();
    m_widths.assign(std::size_t(columns) + 1, 0.0);
    double headingWidth = 0;
    for (int row = 0; row <= rows; ++row)
        headingWidth = std::max(headingWidth, cell.horizontalAdvance(m_sheet.cellText(0, row)));
    headingWidth += 2 * m_padding;
    if (m_sheet.colWidth(0) >= 0)
        headingWidth = std::max(headingWidth, m_sheet.colWidth(0) * charWidth);
    m_widths[0] = std::min(headingWidth, pageWidth / 2);
    double total = m_widths[0];
    for (int column = 1; column <= columns; ++column) {
        const double chars = m_sheet.colWidth(column);
        m_widths[std::size_t(column)] = (chars < 0 ? DefaultColumnChars : chars) * charWidth;
        total += m_widths[std::size_t(column)];
    }
    m_scale = m_sheet.printOptionB() && total > pageWidth ? pageWidth / total : 1.0;

    // Grid units from here: the page as the unscaled grid sees it.
    const double bandWidth = pageWidth / m_scale - m_widths[0];
    const double bandHeight = (pageHeight - m_headerHeight - m_footerHeight) / m_scale - m_rowHeight;
    const int rowsPerPage = std::max(1, int(std::floor(bandHeight / m_rowHeight + Slack)));

    std::vector<std::pair<int, int>> columnBands;
    for (int first = 1; first <= columns;) {
        int last = first;
        double used = m_widths[std::size_t(first)];
        while (last < columns && used + m_widths[std::size_t(last) + 1] <= bandWidth * (1 + Slack)) {
            ++last;
            used += m_widths[std::size_t(last)];
        }
        columnBands.emplace_back(first, last);
        first = last + 1;
    }
    if (columnBands.empty())
        columnBands.emplace_back(1, 0);

    m_pages.clear();
    for (const auto &[firstColumn, lastColumn] : columnBands) {
        if (rows == 0)
            m_pages.push_back({firstColumn, lastColumn, 1, 0});
        for (int first = 1; first <= rows; first += rowsPerPage)
            m_pages.push_back({firstColumn, lastColumn, first, std::min(rows, first + rowsPerPage - 1)});
    }
    return m_pages;
}

bool SheetPrinter::print(QPagedPaintDevice &device, const std::function<bool(int, int)> &progress)
{
    paginate(device);
    const int count = int(m_pages.size());
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int index = 0; index < count; ++index) {
        if (progress && !progress(index, count))
            return false; // the painter ends the job with the pages drawn
        if (index > 0 && !device.newPage())
            return false;
        drawPage(painter, device, index);
    }
    if (progress)
        progress(count, count);
    return painter.end();
}

void SheetPrinter::drawPage(QPainter &painter, const QPaintDevice &device, int index) const
{
    const double pageWidth = device.width();
    double top = 0;
    for (std::size_t i = 0; i < m_header.lines.size(); ++i) {
        const PrintLine &line = m_header.lines[i];
        std::vector<QFont> fonts;
        double width = 0;
        for (const PrintRun &run : line.runs) {
            fonts.push_back(headerFont(m_header.font(run.font)));
            width += QFontMetricsF(fonts.back(), &device).horizontalAdvance(run.text);
        }
        double x = line.alignment == PrintAlignment::Left     ? 0
                   : line.alignment == PrintAlignment::Centre ? (pageWidth - width) / 2
                                                              : pageWidth - width;
        x = std::max(x, 0.0);
        const double baseline = top + m_headerLines[i].ascent;
        painter.setPen(Qt::black);
        for (std::size_t r = 0; r < line.runs.size(); ++r) {
            painter.setFont(fonts[r]);
            painter.drawText(QPointF(x, baseline), line.runs[r].text);
            x += QFontMetricsF(fonts[r], &device).horizontalAdvance(line.runs[r].text);
        }
        top += m_headerLines[i].height;
    }

    painter.save();
    painter.translate(0, m_headerHeight);
    painter.scale(m_scale, m_scale);
    drawGrid(painter, m_pages[std::size_t(index)]);
    painter.restore();

    painter.setPen(Qt::black);
    painter.setFont(cellFont());
    painter.drawText(QRectF(0, device.height() - m_footerHeight, pageWidth, m_footerHeight),
                     Qt::AlignHCenter | Qt::AlignBottom, pageNumberText(index + 1, int(m_pages.size())));
}

void SheetPrinter::drawGrid(QPainter &painter, const Page &page) const
{
    std::vector<int> columns{0};
    for (int column = page.firstColumn; column <= page.lastColumn; ++column)
        columns.push_back(column);
    std::vector<int> rows{0};
    for (int row = page.firstRow; row <= page.lastRow; ++row)
        rows.push_back(row);

    std::vector<double> lefts;
    double right = 0;
    for (const int column : columns) {
        lefts.push_back(right);
        right += m_widths[std::size_t(column)];
    }
    const double bottom = m_rowHeight * double(rows.size());

    painter.setFont(cellFont());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = rows[r];
        const double y = m_rowHeight * double(r);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const int column = columns[c];
            const QRectF rect(lefts[c], y, m_widths[std::size_t(column)], m_rowHeight);
            if (const auto back = m_sheet.cellBackColor(column, row))
                painter.fillRect(rect, colourOf(*back));
            else if (row == 0 || column == 0)
                painter.fillRect(rect, QColor(0xEE, 0xEE, 0xEE));
            const QString text = m_sheet.cellText(column, row);
            if (text.isEmpty())
                continue;
            const auto fore = m_sheet.cellForeColor(column, row);
            painter.setPen(fore ? colourOf(*fore) : QColor(Qt::black));
            painter.drawText(rect.adjusted(m_padding, 0, -m_padding, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        }
    }

    if (!m_sheet.printOptionA())
        return;
    std::vector<QLineF> lines;
    for (std::size_t r = 0; r <= rows.size(); ++r)
        lines.emplace_back(0, m_rowHeight * double(r), right, m_rowHeight * double(r));
    for (const double left : lefts)
        lines.emplace_back(left, 0, left, bottom);
    lines.emplace_back(right, 0, right, bottom);
    QPen pen(QColor(0x80, 0x80, 0x80));
    pen.setWidthF(painter.device()->logicalDpiX() / 144.0); // half a point
    painter.setPen(pen);
    painter.drawLines(lines.data(), int(lines.size()));
}

QPageLayout sheetPdfLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

QString writeSheetPdf(const SheetModel &sheet, const QString &fileName)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return u"cannot write %1: %2"_s.arg(fileName, file.errorString());
    bool printed = false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(sheet.printJobName());
        writer.setResolution(SheetPdfResolution);
        writer.setPageLayout(sheetPdfLayout());
        printed = SheetPrinter(sheet).print(writer);
    }
    if (!printed)
        return u"cannot print %1"_s.arg(fileName);
    if (!file.commit())
        return u"cannot write %1: %2"_s.arg(fileName, file.errorString());
    return {};
}

} // namespace tavelin

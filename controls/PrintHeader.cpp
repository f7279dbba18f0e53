#include "controls/PrintHeader.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tavelin {

namespace {

// Keeps number arguments finite without rejecting long digit runs.
constexpr int MaxNumber = 1'000'000;

class Parser
{
public:
    explicit Parser(const QString &markup)
        : m_text(markup)
    {
    }

    PrintHeader run()
    {
        while (m_at < m_text.size()) {
            if (m_text[m_at] != u'/' || !code())
                appendText(m_text[m_at++]);
        }
        return std::move(m_header);
    }

private:
    bool atChar(qsizetype at, char16_t c) const { return at < m_text.size() && m_text[at] == c; }
    bool atDigit(qsizetype at) const { return at < m_text.size() && m_text[at] >= u'0' && m_text[at] <= u'9'; }

    // At a '/': consumes a code and returns true, or returns false for text.
    bool code()
    {
        const qsizetype start = m_at;
        if (atChar(start + 1, u'n')) {
            m_at = start + 2;
            m_header.lines.emplace_back();
            m_lineFont = 0;
            return true;
        }
        for (const auto &[letter, alignment] : {std::pair{u'l', PrintAlignment::Left},
                                                std::pair{u'c', PrintAlignment::Centre},
                                                std::pair{u'r', PrintAlignment::Right}}) {
            if (atChar(start + 1, letter)) {
                m_at = start + 2;
                line().alignment = alignment;
                return true;
            }
        }
        if (!atChar(start + 1, u'f'))
            return false;

        m_at = start + 2;
        if (atDigit(m_at)) {
            line();
            m_lineFont = number();
            return true;
        }
        if (m_at >= m_text.size()) {
            m_at = start;
            return false;
        }
        const char16_t letter = m_text[m_at].unicode();
        switch (letter) {
        case u'n':
            ++m_at;
            if (const auto face = quoted())
                m_font.face = *face;
            return true;
        case u'z':
            ++m_at;
            if (const auto size = quoted()) {
                bool ok = false;
                const double points = size->trimmed().toDouble(&ok);
                if (ok && points == points) // NaN compares unequal and is dropped
                    m_font.pointSize = std::clamp(points, PrintFont::MinSize, PrintFont::MaxSize);
            }
            return true;
        case u'u':
        case u'b':
        case u'i':
        case u'k': {
            ++m_at;
            if (!atChar(m_at, u'0') && !atChar(m_at, u'1'))
                return true;
            const bool on = m_text[m_at++] == u'1';
            if (letter == u'u')
                m_font.underline = on;
            else if (letter == u'b')
                m_font.bold = on;
            else if (letter == u'i')
                m_font.italic = on;
            else
                m_font.strikeOut = on;
            return true;
        }
        case u's':
            ++m_at;
            if (atDigit(m_at))
                m_header.fonts[number()] = m_font;
            return true;
        default:
            m_at = start;
            return false;
        }
    }

    // A "..." argument; an unclosed quote runs to the end. Nothing without a quote.
    std::optional<QString> quoted()
    {
        if (!atChar(m_at, u'"'))
            return std::nullopt;
        const qsizetype open = m_at + 1;
        qsizetype close = m_text.indexOf(u'"', open);
        if (close < 0)
            close = m_text.size();
        m_at = std::min(close + 1, m_text.size());
        return m_text.sliced(open, close - open);
    }

    int number()
    {
        int value = 0;
        while (atDigit(m_at)) {
            value = std::min(value * 10 + (m_text[m_at].unicode() - u'0'), MaxNumber);
            ++m_at;
        }
        return value;
    }

    PrintLine &line()
    {
        if (m_header.lines.empty()) {
            m_header.lines.emplace_back();
            m_lineFont = 0;
        }
        return m_header.lines.back();
    }

    void appendText(QChar c)
    {
        std::vector<PrintRun> &runs = line().runs;
        if (runs.empty() || runs.back().font != m_lineFont)
            runs.push_back({m_lineFont, {}});
        runs.back().text.append(c);
    }

    const QString &m_text;
    qsizetype m_at = 0;
    PrintHeader m_header;
    PrintFont m_font;
    int m_lineFont = 0;
};

} // namespace

PrintFont PrintHeader::font(int number) const
{
    const auto found = fonts.find(number);
    return found == fonts.end() ? PrintFont() : found->second;
}

PrintHeader parsePrintHeader(const QString &markup)
{
    return Parser(markup).run();
}

} // namespace tavelin

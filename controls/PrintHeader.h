#pragma once

#include <QString>

#include <map>
#include <vector>

namespace tavelin {

// A font of the print header mark-up, as plain data; the printer turns it
// into a real font. An empty face means the printer's cell font.
struct PrintFont
{
    static constexpr double DefaultSize = 10.0;
    static constexpr double MinSize = 1.0;
    static constexpr double MaxSize = 96.0;

    QString face;
    double pointSize = DefaultSize;
    bool underline = false;
    bool bold = false;
    bool italic = false;
    bool strikeOut = false;

    bool operator==(const PrintFont &) const = default;
};

enum class PrintAlignment { Left, Centre, Right };

struct PrintRun
{
    int font = 0; // a font number of the mark-up; one never stored means the default font
    QString text;

    bool operator==(const PrintRun &) const = default;
};

struct PrintLine
{
    PrintAlignment alignment = PrintAlignment::Left;
    std::vector<PrintRun> runs;
};

struct PrintHeader
{
    std::map<int, PrintFont> fonts;
    std::vector<PrintLine> lines;

    // The stored font, or a default PrintFont.
    PrintFont font(int number) const;
};

// The header mark-up of a sheet:
//   /fn"face" /fz"size" /fu0|1 /fb0|1 /fi0|1 /fk0|1   describe a font (face, points, underline,
//                                                      bold, italic, strike-out);
//   /fsN   stores the font described so far as font N (the description carries on);
//   /n     starts a line; /l /c /r align it; /fN writes its following text in font N;
//   anything else is text of the line.
// Text or a line code before the first /n opens a line of its own. Each line
// starts left-aligned in font 0. A known code with a bad argument is dropped
// (an unclosed quote takes the rest of the text); an unknown code stays text.
// Sizes are clamped to PrintFont's limits.
PrintHeader parsePrintHeader(const QString &markup);

} // namespace tavelin

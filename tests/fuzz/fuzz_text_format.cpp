// gbkWidth, padRight and padLeft. Input: the width on the first line, the text after it.

#include "FuzzInput.h"

#include "data/TextFormat.h"

#include <algorithm>

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

bool blanksOnly(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input = fuzzText(data, size);
    const qsizetype newline = input.indexOf(u'\n');
    // Fields are a few dozen characters; a wider one only costs memory.
    const int width = newline < 0 ? 0 : std::clamp(input.first(newline).toInt(), -100000, 100000);
    const QString text = newline < 0 ? input : input.sliced(newline + 1);

    const int textWidth = gbkWidth(text);
    check(textWidth >= 0 && textWidth <= 2 * text.size(), "width out of bounds", text);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        check(textWidth == text.size(), "ASCII text is not one column a character", text);

    // Widths add up wherever a text is cut, except inside a surrogate pair.
    for (qsizetype cut : {qsizetype(0), text.size() / 3, text.size() / 2, text.size()}) {
        if (cut > 0 && cut < text.size() && text[cut - 1].isHighSurrogate() && text[cut].isLowSurrogate())
            continue;
        check(gbkWidth(QStringView(text).first(cut)) + gbkWidth(QStringView(text).sliced(cut)) == textWidth,
              "widths of the parts do not add up", text);
    }

    const int expected = std::max(width, textWidth);
    const QString right = padRight(text, width);
    check(right.startsWith(text), "padRight does not begin with the text", text);
    check(blanksOnly(QStringView(right).sliced(text.size())), "padRight added more than blanks", right);
    check(gbkWidth(right) == expected, "padRight is not as wide as asked", right);

    const QString left = padLeft(text, width);
    check(left.endsWith(text), "padLeft does not end with the text", text);
    check(blanksOnly(QStringView(left).first(left.size() - text.size())), "padLeft added more than blanks", left);
    check(gbkWidth(left) == expected, "padLeft is not as wide as asked", left);
    return 0;
}

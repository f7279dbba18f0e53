// findEntryStartingWith, the matching of a typed or exchanged text against a
// code combo's entries. Input lines: the entries, then the text.

#include "FuzzInput.h"

#include "forecast/ComboText.h"

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

bool hasSurrogate(const QString &text)
{
    for (QChar c : text) {
        if (c.isSurrogate())
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList entries = fuzzParts(fuzzText(data, size), u'\n');
    const QString text = entries.takeLast();

    const int found = findEntryStartingWith(entries, text);
    check(found >= -1 && found < entries.size(), "index outside the entries", text);
    if (text.isEmpty()) {
        check(found == -1, "an empty text matched", text);
        return 0;
    }
    if (found >= 0)
        check(entries[found].startsWith(text, Qt::CaseInsensitive), "the entry does not begin with the text", text);
    const qsizetype searched = found >= 0 ? found : entries.size();
    for (qsizetype i = 0; i < searched; ++i)
        check(!entries[i].startsWith(text, Qt::CaseInsensitive), "an earlier entry was passed over", entries[i]);

    // More entries after it cannot take the match away; a shorter text can
    // only match the same entry or an earlier one.
    QStringList more = entries;
    more.append(text);
    more.append(entries);
    const int again = findEntryStartingWith(more, text);
    check(found >= 0 ? again == found : again == entries.size(), "adding entries moved the match", text);
    if (found >= 0 && text.size() > 1 && !hasSurrogate(text)) {
        const int shorter = findEntryStartingWith(entries, QStringView(text).chopped(1));
        check(shorter >= 0 && shorter <= found, "a shorter text matched later", text);
    }
    return 0;
}

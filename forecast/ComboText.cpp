#include "forecast/ComboText.h"

namespace tavelin {

int findEntryStartingWith(const QStringList &entries, QStringView text) noexcept
{
    if (text.isEmpty())
        return -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (QStringView(entries[i]).startsWith(text, Qt::CaseInsensitive))
            return int(i);
    }
    return -1;
}

} // namespace tavelin

#pragma once

#include <QStringList>
#include <QStringView>

namespace tavelin {

// The entry a typed or exchanged text stands for in a code combo: the first
// entry that begins with the text, letter case ignored; -1 if none does or
// the text is empty.
int findEntryStartingWith(const QStringList &entries, QStringView text) noexcept;

} // namespace tavelin

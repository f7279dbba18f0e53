#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tavelin {

// The room grade box holds either nothing (every grade) or a list of codes.
// The picker writes them quoted and joined without blanks ('A','B'); by hand a
// user may also type plain codes (A,B or A, B). Rules of the reading:
// - blanks around items and commas are allowed; a text of blanks only is empty;
// - a quoted code keeps everything between its quotes, a doubled '' standing
//   for one quote; it must not be empty or blank;
// - a plain code is made of letters, digits and the characters _ - . / # +;
//   anything else (blanks inside, quotes, other punctuation) needs the quotes;
// - no length limit: the picker cuts codes to six characters, but rmtype may
//   hold longer ones and a typed code is taken whole;
// - repeated codes are kept; the in-lists do not mind.
// Returns the codes without their quotes, or nothing when the text is not such
// a list (an unclosed quote, an empty code, a stray character).
std::optional<QStringList> parseGradeList(QStringView text);

// The canonical box text, which is also the SQL in-list: every code in single
// quotes with its own quotes doubled, joined by commas. Empty for no codes.
QString formatGradeList(const QStringList &codes);

} // namespace tavelin

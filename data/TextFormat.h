#pragma once

#include <QString>
#include <QStringView>

namespace tavelin {

// Widths of the module's fixed-width texts count bytes of the hotel's GBK
// encoding: a character outside ASCII takes two, as it takes two columns in a
// fixed-width CJK font. A text never gets cut; a longer one widens its field.
int gbkWidth(QStringView text) noexcept;

// "%-Ns": the text, then blanks up to the width.
QString padRight(QStringView text, int width);

// "%Ns": blanks up to the width, then the text.
QString padLeft(QStringView text, int width);

} // namespace tavelin

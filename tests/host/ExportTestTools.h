#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavelin::test {

// RFC 4180 fields by record; the newline after the last record ends it, it
// does not start an empty one.
QList<QStringList> parseCsv(const QString &text);

bool haveUnzip();

// One member of a zip file through `unzip -p`, as UTF-8 text; empty if it is not there.
QString unzipped(const QString &zipFile, const QString &member);

} // namespace tavelin::test

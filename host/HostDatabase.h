#pragma once

#include "host/DatabaseUrl.h"

#include <QSqlDatabase>
#include <QString>

namespace tavelin::host {

// Opens url under connectionName, read-only. On failure returns an invalid
// handle, leaves no connection behind and sets *error to what went wrong,
// the driver's own text included.
QSqlDatabase openDatabase(const DatabaseUrl &url, const QString &connectionName, QString *error);

} // namespace tavelin::host

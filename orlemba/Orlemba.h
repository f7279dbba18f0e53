#pragma once

#include <QString>
#include <QtGlobal>

// The stand-in reservation module's one export; its form is the caller's
// RsvDetailExFunction.
extern "C" Q_DECL_EXPORT int RsvDetail_Ex(QString hostText, qint64 businessDate, qint32 mode, qint32 first,
                                          qint32 second, QString &reply);

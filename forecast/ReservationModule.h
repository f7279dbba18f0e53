#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tavelin {

// RsvDetail_Ex of the hotel's reservation module (liborlemba.so): host text,
// business date (seconds since the epoch), three numbers, and a text the
// module may write to. It does all its work, windows included, before it
// returns. Its result means nothing to the caller.
using RsvDetailExFunction = int (*)(QString hostText, qint64 businessDate, qint32 mode, qint32 first,
                                    qint32 second, QString &reply);

inline constexpr char ReservationEntryName[] = "RsvDetail_Ex";
inline const QString ReservationModuleFile = QStringLiteral("liborlemba.so");

enum class HandOff {
    Done,
    ModuleMissing, // no file could be loaded
    EntryMissing,  // loaded, but it exports no RsvDetail_Ex; unloaded again
};

// Where the module is looked for, in order: the host program's own folder,
// then the system's library search by name. The working folder never takes part.
QStringList reservationModuleCandidates();

// Replaces the candidates for the whole process (tests); an empty list goes
// back to the default.
void setReservationModuleCandidates(const QStringList &candidates);

// Loads the module, calls RsvDetail_Ex(hostText, businessDate, 2, 0, 0, reply)
// with a reply text that is discarded unread, and unloads it again.
HandOff handOffToReservation(const QString &hostText, qint64 businessDate);

} // namespace tavelin

#include "forecast/ReservationModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

QStringList &candidateOverride()
{
    static QStringList candidates;
    return candidates;
}

} // namespace

QStringList reservationModuleCandidates()
{
    if (!candidateOverride().isEmpty())
        return candidateOverride();
    // A bare name goes to the dynamic loader's own search (LD_LIBRARY_PATH,
    // the cache, the system folders), which never looks in the working folder
    // unless told to.
    return {QDir(QCoreApplication::applicationDirPath()).filePath(ReservationModuleFile), u"orlemba"_s};
}

void setReservationModuleCandidates(const QStringList &candidates)
{
    candidateOverride() = candidates;
}

HandOff handOffToReservation(const QString &hostText, qint64 businessDate)
{
    QString reply;
    QLibrary library;
    bool loaded = false;
    for (const QString &candidate : reservationModuleCandidates()) {
        // An absolute candidate that is not there is skipped without asking the
        // loader, which would otherwise try variants of the name.
        if (QDir::isAbsolutePath(candidate) && !QFileInfo::exists(candidate))
            continue;
        library.setFileName(candidate);
        if (library.load()) {
            loaded = true;
            break;
        }
    }
    if (!loaded)
        return HandOff::ModuleMissing;

    const auto entry = reinterpret_cast<RsvDetailExFunction>(library.resolve(ReservationEntryName));
    if (!entry) {
        library.unload();
        return HandOff::EntryMissing;
    }
    entry(hostText, businessDate, 2, 0, 0, reply);
    library.unload();
    return HandOff::Done;
}

} // namespace tavelin

#include "forecast/ReservationModule.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <type_traits>

using namespace Qt::StringLiterals;

extern "C" Q_DECL_EXPORT int RsvDetail_Ex(QString hostText, qint64 businessDate, qint32 mode, qint32 first,
                                          qint32 second, QString &reply);
static_assert(std::is_same_v<decltype(&RsvDetail_Ex), tavelin::RsvDetailExFunction>);

// Appends one JSON line per call to the file named by TAVELIN_ORLEMBA_RECORD,
// since nothing of the module outlives the call.
extern "C" int RsvDetail_Ex(QString hostText, qint64 businessDate, qint32 mode, qint32 first, qint32 second,
                            QString &reply)
{
    QFile record(qEnvironmentVariable("TAVELIN_ORLEMBA_RECORD"));
    if (!record.open(QIODevice::Append))
        return -1;
    const QJsonObject call{
        {u"hostText"_s, hostText},
        {u"businessDate"_s, QString::number(businessDate)},
        {u"mode"_s, mode},
        {u"first"_s, first},
        {u"second"_s, second},
        {u"replyWasEmpty"_s, reply.isEmpty()},
    };
    record.write(QJsonDocument(call).toJson(QJsonDocument::Compact) + '\n');
    reply = u"booked"_s;
    return 7;
}

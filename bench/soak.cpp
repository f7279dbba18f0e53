// tavelin-soak: many searches in a row in one forecast window (offscreen),
// alternating the two tabs, over the longest span of the large demo hotel,
// with the process's memory sampled as it goes. A leak shows as heap or
// resident memory that keeps climbing after the first rounds.
// Exit codes: 0 measured, 1 the database or a search failed, 2 bad options.

#include "controls/SheetModel.h"
#include "controls/SpreadSheet.h"
#include "demo/DemoHotel.h"
#include "forecast/DTPicker.h"
#include "forecast/Messages.h"
#include "forecast/TavelinDlg.h"
#include "hosting/HostContext.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QTextStream>

#include <malloc.h>

using namespace Qt::StringLiterals;
using namespace tavelin;

namespace {

struct Memory
{
    double residentMiB = 0;
    double peakMiB = 0;
    double heapMiB = 0; // bytes malloc has handed out and not got back
};

Memory memoryNow()
{
    Memory memory;
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            const auto kib = [&](const char *key) {
                return line.startsWith(key) ? line.mid(qstrlen(key)).trimmed().split(' ').value(0).toDouble() / 1024 : -1;
            };
            if (const double v = kib("VmRSS:"); v >= 0)
                memory.residentMiB = v;
            if (const double v = kib("VmHWM:"); v >= 0)
                memory.peakMiB = v;
        }
    }
    const struct mallinfo2 info = mallinfo2();
    memory.heapMiB = double(info.uordblks + info.hblkhd) / (1024 * 1024);
    return memory;
}

// Counts what the window would have shown; a soak run must show nothing.
class CountingPresenter : public MessagePresenter
{
public:
    MessageAnswer present(QWidget *, const QString &text, const QString &, MessageKind) override
    {
        ++shown;
        last = text;
        return MessageAnswer::Ok;
    }
    int shown = 0;
    QString last;
};

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Runs many forecast searches in one window and samples memory."_s);
    parser.addHelpOption();
    const QCommandLineOption dbOption(u"db"_s, u"Large demo hotel file; written when missing."_s, u"file"_s);
    const QCommandLineOption searchesOption(u"searches"_s, u"Searches to run (default 1000)."_s, u"n"_s, u"1000"_s);
    const QCommandLineOption sampleOption(u"every"_s, u"Sample memory every n searches (default 50)."_s, u"n"_s,
                                          u"50"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Also write the samples as JSON."_s, u"file"_s);
    parser.addOptions({dbOption, searchesOption, sampleOption, jsonOption});
    parser.process(app);

    const int searches = parser.value(searchesOption).toInt(); // 0 when not a number
    const int every = parser.value(sampleOption).toInt();
    if (!parser.isSet(dbOption) || searches < 1 || every < 1) {
        err << "tavelin-soak: --db FILE is required; --searches and --every take positive numbers\n";
        return 2;
    }

    const QString path = parser.value(dbOption);
    const QDate businessDate(2026, 1, 5);
    const bool fresh = !QFileInfo::exists(path);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"soak"_s);
    db.setDatabaseName(path);
    if (!db.open()) {
        err << "tavelin-soak: cannot open " << path << "\n";
        return 1;
    }
    if (fresh) {
        try {
            demo::generateDemoHotel(db, {businessDate, 1, demo::HotelSize::Large});
        } catch (const demo::DemoError &error) {
            err << "tavelin-soak: " << error.text() << "\n";
            return 1;
        }
    }

    HostContext &context = hostContext();
    context.database = &db;
    context.businessDate = secondsAtLocalMidnight(businessDate);
    CountingPresenter presenter;
    setMessagePresenter(&presenter);

    QJsonArray samples;
    const auto sample = [&](int done, double seconds) {
        const Memory m = memoryNow();
        out << QString::asprintf("%6d searches  %7.1f s  heap %7.1f MiB  resident %7.1f MiB  peak %7.1f MiB\n", done,
                                 seconds, m.heapMiB, m.residentMiB, m.peakMiB);
        out.flush();
        samples.append(QJsonObject{{u"searches"_s, done}, {u"seconds"_s, seconds}, {u"heapMiB"_s, m.heapMiB},
                                   {u"residentMiB"_s, m.residentMiB}, {u"peakMiB"_s, m.peakMiB}});
        return m;
    };

    const Memory before = sample(0, 0);
    double largestGridPeak = 0;
    {
        CTavelinDlg window;
        window.show();
        QApplication::processEvents();
        // The longest span the checks let through.
        window.m_dtpBegin->setValue(businessDate.toString(u"yyyy-MM-dd"_s));
        window.m_dtpEnd->setValue(businessDate.addDays(729).toString(u"yyyy-MM-dd"_s));

        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i <= searches; ++i) {
            window.m_tabView->setCurrentIndex(i % 2);
            window.OnSearch();
            QApplication::processEvents(); // let the shown grid lay out and paint
            if (i == 2)
                largestGridPeak = memoryNow().peakMiB - before.residentMiB;
            if (presenter.shown > 0) {
                err << "tavelin-soak: the search reported: " << presenter.last << "\n";
                return 1;
            }
            if (i % every == 0 || i == searches)
                sample(i, clock.elapsed() / 1000.0);
        }
        out << "occupancy grid: " << window.m_gridOrg->sheet()->maxRows() + 1 << " rows x "
            << window.m_gridOrg->sheet()->maxCols() + 1 << " columns, headings included\n";
    }
    const Memory after = memoryNow();

    // Growth is judged from the first sample after the window settled.
    const QJsonObject first = samples.at(std::min<qsizetype>(2, samples.size() - 1)).toObject();
    const QJsonObject last = samples.last().toObject();
    const double heapGrowth = last[u"heapMiB"_s].toDouble() - first[u"heapMiB"_s].toDouble();
    const double residentGrowth = last[u"residentMiB"_s].toDouble() - first[u"residentMiB"_s].toDouble();
    out << QString::asprintf("growth from search %d to %d: heap %+.2f MiB, resident %+.2f MiB\n",
                             first[u"searches"_s].toInt(), last[u"searches"_s].toInt(), heapGrowth, residentGrowth);
    out << QString::asprintf("peak above start: %.1f MiB after the first two searches, %.1f MiB in all; "
                             "heap after closing the window %.1f MiB (start %.1f)\n",
                             largestGridPeak, after.peakMiB - before.residentMiB, after.heapMiB, before.heapMiB);

    if (parser.isSet(jsonOption)) {
        QFile file(parser.value(jsonOption));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(QJsonDocument(QJsonObject{{u"samples"_s, samples},
                                                 {u"heapGrowthMiB"_s, heapGrowth},
                                                 {u"residentGrowthMiB"_s, residentGrowth},
                                                 {u"largestGridPeakMiB"_s, largestGridPeak}})
                           .toJson());
    }
    setMessagePresenter(nullptr);
    context.database = nullptr;
    return 0;
}

#include "hosting/Tavelin.h"

#include "forecast/TavelinDlg.h"
#include "hosting/HostContext.h"

#include <QString>
#include <QtDebug>

// Q_INIT_RESOURCE declares the initialiser at block scope, which must not sit
// inside a namespace, so these two live at global scope.
static void registerResources()
{
    Q_INIT_RESOURCE(tavelin);
}

static void unregisterResources()
{
    Q_CLEANUP_RESOURCE(tavelin);
}

namespace {

// Load and unload of the library: the trace lines and the resources (forms,
// background picture) that the forecast window finds by their ":/tavelin" paths.
struct LibraryLifetime
{
    LibraryLifetime()
    {
        qDebug("%s", "TAVELIN.DLL Initializing!\n");
        registerResources();
    }
    ~LibraryLifetime()
    {
        qDebug("%s", "TAVELIN.DLL Terminating!\n");
        unregisterResources();
    }
    LibraryLifetime(const LibraryLifetime &) = delete;
    LibraryLifetime &operator=(const LibraryLifetime &) = delete;
};

const LibraryLifetime lifetime;

} // namespace

extern "C" Q_DECL_EXPORT void Tavelin_Ex(QString hostText, qint64 businessDate, QSqlDatabase *database,
                                         quint32 /*reserved*/)
{
    tavelin::HostContext &context = tavelin::hostContext();
    context.hostText = std::move(hostText);
    context.businessDate = businessDate;
    context.database = database;

    tavelin::CTavelinDlg dialog;
    dialog.exec();
}

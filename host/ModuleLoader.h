#pragma once

#include "hosting/Tavelin.h"

#include <QLibrary>
#include <QString>

#include <memory>

namespace tavelin::host {

inline constexpr QLatin1StringView ModuleFileName{"libtavelin.so"};
inline constexpr char EntryPointName[] = "Tavelin_Ex";

// Finds libtavelin.so and its entry point. With a location (a module file, or a
// folder holding libtavelin.so) only that is tried; without one the folder of
// the host program comes first, then the platform's library search.
//
// The module is never unloaded: windows and statics it made may outlive the call.
class ModuleLoader
{
public:
    ModuleLoader(const QString &location, const QString &applicationDir);

    bool load();

    TavelinExFunction entryPoint() const noexcept { return m_entryPoint; }
    QString fileName() const { return m_fileName; } // loaded, or last tried
    QString errorString() const { return m_error; }

private:
    bool loadFile(const QString &fileName);
    bool resolveEntryPoint();

    QString m_location;
    QString m_applicationDir;
    std::unique_ptr<QLibrary> m_library;
    TavelinExFunction m_entryPoint = nullptr;
    QString m_fileName;
    QString m_error;
};

} // namespace tavelin::host

#include "host/ModuleLoader.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tavelin::host {

ModuleLoader::ModuleLoader(const QString &location, const QString &applicationDir)
    : m_location(location)
    , m_applicationDir(applicationDir)
{
}

bool ModuleLoader::load()
{
    m_entryPoint = nullptr;
    m_error.clear();
    if (!m_location.isEmpty()) {
        const QString file =
            QFileInfo(m_location).isDir() ? QDir(m_location).filePath(ModuleFileName) : m_location;
        return loadFile(file) && resolveEntryPoint();
    }

    const QString besideHost = QDir(m_applicationDir).filePath(ModuleFileName);
    if (QFileInfo::exists(besideHost))
        return loadFile(besideHost) && resolveEntryPoint();

    m_fileName = ModuleFileName;
    m_library = std::make_unique<QLibrary>(u"tavelin"_s);
    if (!m_library->load()) {
        m_error = u"cannot load module %1: it is not in %2 and the library search path does not find it (%3)"_s.arg(
            ModuleFileName, QDir::toNativeSeparators(m_applicationDir), m_library->errorString());
        return false;
    }
    m_fileName = m_library->fileName();
    return resolveEntryPoint();
}

bool ModuleLoader::loadFile(const QString &fileName)
{
    m_fileName = fileName;
    m_library = std::make_unique<QLibrary>(fileName);
    if (m_library->load())
        return true;
    m_error = u"cannot load module %1: %2"_s.arg(fileName, m_library->errorString());
    return false;
}

bool ModuleLoader::resolveEntryPoint()
{
    const QFunctionPointer function = m_library->resolve(EntryPointName);
    if (!function) {
        m_error = u"module %1 has no entry point %2: %3"_s.arg(m_fileName, QLatin1StringView(EntryPointName),
                                                               m_library->errorString());
        return false;
    }
    m_entryPoint = reinterpret_cast<TavelinExFunction>(function);
    return true;
}

} // namespace tavelin::host

#include <QtGlobal>

// A shared library that is not the module: everything but Tavelin_Ex.
extern "C" Q_DECL_EXPORT int Tavelin_Version()
{
    return 1;
}

#include <QtGlobal>

// A library under the reservation module's name without its entry.
extern "C" Q_DECL_EXPORT int RsvDetail(void)
{
    return 0;
}

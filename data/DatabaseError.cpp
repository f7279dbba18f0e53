#include "data/DatabaseError.h"

namespace tavelin {

DatabaseError::DatabaseError(const QString &driverText)
    : std::runtime_error(driverText.toStdString())
    , m_driverText(driverText)
{
}

} // namespace tavelin

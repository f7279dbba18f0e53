#pragma once

#include <QString>

#include <stdexcept>

namespace tavelin {

// The one exception type of the core: a query that could not be run or read.
// Carries the driver's own text so that the window can show it unchanged.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString &driverText);

    const QString &driverText() const noexcept { return m_driverText; }

private:
    QString m_driverText;
};

} // namespace tavelin

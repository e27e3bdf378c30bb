#include "platform/db/DatabaseError.h"

EDatabaseError::EDatabaseError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

void DatabaseError(const QString& message)
{
    throw EDatabaseError(message);
}

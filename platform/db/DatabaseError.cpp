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

QString ErrorText(const std::exception& error)
{
    if (const auto* databaseError = dynamic_cast<const EDatabaseError*>(&error))
        return databaseError->Message();
    return QString::fromUtf8(error.what());
}

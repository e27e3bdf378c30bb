#pragma once

#include <QString>
#include <stdexcept>

// The database error of the dataset framework. Everything a dataset, a field
// or a data source refuses is reported with one of these; the access layer's
// own errors derive from it, so a dataset's error events see them too.
class EDatabaseError : public std::runtime_error
{
public:
    explicit EDatabaseError(const QString& message);

    QString Message() const { return m_message; }

private:
    QString m_message;
};

[[noreturn]] void DatabaseError(const QString& message);

// What an error says to the user: a database error's message as the server
// or the framework gave it, any other error's own text.
QString ErrorText(const std::exception& error);

// The framework's own message texts, shared by the datasets built on it.
namespace DbMessages {
inline const char* const DataSetOpen = "Cannot perform this operation on an open dataset";
inline const char* const DataSetClosed = "Cannot perform this operation on a closed dataset";
inline const char* const DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline const char* const DataSetReadOnly = "Cannot modify a read-only dataset";
inline const char* const NotEditing = "Dataset not in edit or insert mode";
inline const char* const RecordNotFound = "Record not found";
inline const char* const FieldNotFound = "Field '%1' not found";
inline const char* const FieldReadOnly = "Field '%1' cannot be modified";
inline const char* const FieldAccessError = "Cannot access field '%1' as type %2";
inline const char* const FieldTypeMismatch = "Type mismatch for field '%1', expecting: %2 actual: %3";
inline const char* const FieldNoDataSet = "Field '%1' has no dataset";
inline const char* const FieldAlreadyInDataSet = "Field '%1' already belongs to a dataset";
inline const char* const DuplicateFieldName = "Duplicate field name '%1'";
inline const char* const InvalidIntegerValue = "'%1' is not a valid integer value for field '%2'";
inline const char* const InvalidFloatValue = "'%1' is not a valid floating point value for field '%2'";
inline const char* const InvalidBoolValue = "'%1' is not a valid boolean value for field '%2'";
inline const char* const InvalidDateValue = "'%1' is not a valid date for field '%2'";
inline const char* const InvalidTimeValue = "'%1' is not a valid time for field '%2'";
inline const char* const InvalidDateTimeValue = "'%1' is not a valid date and time for field '%2'";
inline const char* const FieldRangeError = "%1 is not a valid value for field '%2'. The allowed range is %3 to %4";
inline const char* const InvalidValue = "'%1' is not a valid value for field '%2'";
inline const char* const FieldIndexOutOfRange = "Field index %1 out of range";
inline const char* const KeyValueCount = "Locate on %1 field(s) needs as many key values, %2 given";
} // namespace DbMessages

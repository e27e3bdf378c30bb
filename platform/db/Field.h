#pragma once

#include "platform/db/DbTypes.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <memory>

class TStream;

// One column of a dataset as seen through its active record. A field belongs
// to one dataset, which owns it; it reads and writes its value through the
// dataset (GetFieldData/SetFieldData of the concrete dataset) and converts it
// to and from the typed forms. A null value is an invalid QVariant.
//
// The typed classes below decide which conversions make sense; the others
// raise "Cannot access field '...' as type ...".
class TField
{
public:
    TField(TFieldType dataType, const QString& fieldName, int size = 0);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;
    virtual ~TField();

    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& name);
    QString DisplayLabel() const { return m_displayLabel; }
    void SetDisplayLabel(const QString& label);
    // The label when one is set, else the field name.
    QString DisplayName() const;
    TFieldType DataType() const { return m_dataType; }
    int Size() const { return m_size; }
    TFieldKind FieldKind() const { return m_fieldKind; }
    void SetFieldKind(TFieldKind kind);
    bool Calculated() const { return m_fieldKind == fkCalculated; }
    // 1-based number of the bound field definition; 0 for calculated fields
    // and while not bound.
    int FieldNo() const { return m_fieldNo; }
    // Position among the dataset's fields.
    int Index() const { return m_index; }
    bool Required() const { return m_required; }
    void SetRequired(bool required) { m_required = required; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    // Width in characters a grid or edit gives the field.
    int DisplayWidth() const;
    void SetDisplayWidth(int width);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);
    bool IsBlob() const { return IsBlobFieldType(m_dataType); }
    TDataSet* DataSet() const { return m_dataSet; }
    // The value may be written: the field is not read-only and, for a data
    // field, its dataset can be modified.
    bool CanModify() const;

    bool IsNull() const;
    void Clear() { SetAsVariant(QVariant()); }

    QVariant Value() const { return AsVariant(); }
    void SetValue(const QVariant& value) { SetAsVariant(value); }
    virtual QVariant AsVariant() const;
    virtual void SetAsVariant(const QVariant& value);
    virtual QString AsString() const;
    virtual void SetAsString(const QString& value);
    virtual qint32 AsInteger() const;
    virtual void SetAsInteger(qint32 value);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double value);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool value);
    virtual QDateTime AsDateTime() const;
    virtual void SetAsDateTime(const QDateTime& value);

    // The text a grid shows, and the text an editor starts from.
    QString DisplayText() const { return GetText(true); }
    QString Text() const { return GetText(false); }
    virtual void SetText(const QString& text);

    // Any value turned into this field's own type (null stays null); raises
    // when the value cannot be one.
    virtual QVariant ConvertValue(const QVariant& value) const;
    // Whether the value equals a Locate key under the options.
    virtual bool MatchesKey(const QVariant& key, TLocateOptions options) const;

    // Forgets per-record state when the dataset leaves a record.
    virtual void FreeBuffers() {}

protected:
    virtual QString GetText(bool displayText) const;
    virtual int DefaultWidth() const { return 10; }

    // The raw value of the active record; false when it is null.
    bool GetData(QVariant& value) const;
    QVariant GetData() const;
    // Writes a value already in this field's type (null for none).
    void SetData(const QVariant& value);

    // Whether there is a record to read (a blob needs one for its stream).
    bool HasRecord() const;
    // Raises unless the field may be written now (state and read-only flag).
    void CheckWritable() const;

    // Tells the views of an open dataset that the field's look changed.
    void LayoutChanged();

    [[noreturn]] void AccessError(const char* typeName) const;
    [[noreturn]] void ConversionError(const char* message, const QString& text) const;

private:
    friend class TDataSet;

    TDataSet* m_dataSet = nullptr;
    QString m_fieldName;
    QString m_displayLabel;
    TFieldType m_dataType;
    int m_size;
    TFieldKind m_fieldKind = fkData;
    int m_fieldNo = 0;
    int m_index = -1;
    int m_calcIndex = -1;
    int m_displayWidth = -1;
    bool m_required = false;
    bool m_readOnly = false;
    bool m_visible = true;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Text of at most Size characters (no limit when Size is 0).
class TStringField : public TField
{
public:
    explicit TStringField(const QString& fieldName, int size = 20);

    QVariant ConvertValue(const QVariant& value) const override;
    // Texts compare as texts: a partial key matches the start of the value,
    // case-insensitive ignores letter case.
    bool MatchesKey(const QVariant& key, TLocateOptions options) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    qint32 AsInteger() const override;
    void SetAsInteger(qint32 value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool value) override;
    QDateTime AsDateTime() const override;
    void SetAsDateTime(const QDateTime& value) override;

protected:
    int DefaultWidth() const override;
};

// Whole numbers: ftInteger and ftAutoInc (32-bit), ftSmallint (16-bit),
// ftWord (unsigned 16-bit). A value outside the type's range is refused.
class TIntegerField : public TField
{
public:
    explicit TIntegerField(const QString& fieldName, TFieldType dataType = ftInteger);

    qint64 MinValue() const;
    qint64 MaxValue() const;
    QVariant ConvertValue(const QVariant& value) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    qint32 AsInteger() const override;
    void SetAsInteger(qint32 value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;

protected:
    int DefaultWidth() const override;

private:
    qint32 CheckRange(qint64 value) const;
};

// Floating-point numbers: ftFloat, ftCurrency and ftBCD. Text is written with
// Precision significant digits and "." as decimal separator.
class TFloatField : public TField
{
public:
    explicit TFloatField(const QString& fieldName, TFieldType dataType = ftFloat, int size = 0);

    int Precision() const { return m_precision; }
    void SetPrecision(int precision);
    QVariant ConvertValue(const QVariant& value) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    qint32 AsInteger() const override;
    void SetAsInteger(qint32 value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;

protected:
    QString GetText(bool displayText) const override;
    int DefaultWidth() const override;

private:
    int m_precision = 15;
};

// 64-bit whole numbers (ftLargeint). AsInteger refuses a value beyond 32 bits.
class TLargeintField : public TField
{
public:
    explicit TLargeintField(const QString& fieldName);

    qint64 AsLargeInt() const;
    void SetAsLargeInt(qint64 value);
    QVariant ConvertValue(const QVariant& value) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    qint32 AsInteger() const override;
    void SetAsInteger(qint32 value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;

protected:
    int DefaultWidth() const override { return 20; }
};

// Exact decimals (ftFMTBcd): a 64-bit integer in units of 10^-Size, as the
// server keeps NUMERIC(18, Size). The value never passes through a double:
// AsVariant is its exact text ("12345678901234.5678"), AsScaled the integer.
// Text with more decimals than Size is rounded half away from zero.
class TFMTBCDField : public TField
{
public:
    explicit TFMTBCDField(const QString& fieldName, int size = 4);

    // The value in units of 10^-Size.
    qint64 AsScaled() const;
    void SetAsScaled(qint64 value);
    QVariant ConvertValue(const QVariant& value) const override;
    // Compares the exact values: "1.50" is the key of 1.5.
    bool MatchesKey(const QVariant& key, TLocateOptions options) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    qint32 AsInteger() const override;
    void SetAsInteger(qint32 value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;

protected:
    int DefaultWidth() const override { return 20; }

private:
    qint64 Scaled(const QString& text) const;
};

// True or False; text "True" and "False", read by any leading part of either.
class TBooleanField : public TField
{
public:
    explicit TBooleanField(const QString& fieldName);

    QVariant ConvertValue(const QVariant& value) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool value) override;

protected:
    int DefaultWidth() const override { return 5; }
};

// ftDate (QDate), ftTime (QTime) and ftDateTime (QDateTime of wall-clock
// fields, time spec UTC). Text is ISO: "2024-05-31", "13:45:00",
// "2024-05-31 13:45:00" (with ".zzz" when there are milliseconds).
class TDateTimeField : public TField
{
public:
    explicit TDateTimeField(const QString& fieldName, TFieldType dataType = ftDateTime);

    QVariant ConvertValue(const QVariant& value) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
    QDateTime AsDateTime() const override;
    void SetAsDateTime(const QDateTime& value) override;

protected:
    int DefaultWidth() const override;
};

// Raw bytes of at most Size bytes: ftBytes and ftVarBytes. As text each byte
// is one Latin-1 character, so text and bytes convert without loss.
class TBytesField : public TField
{
public:
    explicit TBytesField(const QString& fieldName, int size = 16, TFieldType dataType = ftVarBytes);

    QVariant ConvertValue(const QVariant& value) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;

protected:
    int DefaultWidth() const override;
};

// A blob column: ftBlob, ftGraphic, ftParadoxOle, ftDBaseOle, ftTypedBinary.
// Its content travels through the dataset's blob stream
// (TDataSet::CreateBlobStream); the dataset's field data only says whether
// it is null. Shows "(BLOB)", or "(blob)" when null.
class TBlobField : public TField
{
public:
    explicit TBlobField(const QString& fieldName, TFieldType dataType = ftBlob);

    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray& bytes);
    qint64 BlobSize() const;
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target) const;

    // Written through a blob stream since the record was entered.
    bool Modified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    void FreeBuffers() override { m_modified = false; }

    QVariant ConvertValue(const QVariant& value) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;

protected:
    QString GetText(bool displayText) const override;

    std::unique_ptr<TStream> OpenStream(TBlobStreamMode mode) const;

private:
    bool m_modified = false;
};

// A text blob: ftMemo and ftFmtMemo. Its bytes become text through the
// dataset's BlobToText/TextToBlob. Shows "(MEMO)", or "(memo)" when null.
class TMemoField : public TBlobField
{
public:
    explicit TMemoField(const QString& fieldName, TFieldType dataType = ftMemo);

    QVariant ConvertValue(const QVariant& value) const override;
    bool MatchesKey(const QVariant& key, TLocateOptions options) const override;

    QVariant AsVariant() const override;
    void SetAsVariant(const QVariant& value) override;
    QString AsString() const override;
    void SetAsString(const QString& value) override;
};

// The field class the framework makes for a column type (size as in a field
// definition); none for ftUnknown and ftCursor.
std::unique_ptr<TField> CreateFieldOfType(TFieldType dataType, const QString& fieldName, int size);

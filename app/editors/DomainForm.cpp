#include "app/editors/DomainForm.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlRead.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/FormControls.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/CatalogTypes.h"
#include "app/shell/DataM.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "components/ConvertError.h"
#include "components/LocaleSettings.h"
#include "components/SpinEdit.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStackedWidget>

namespace {

constexpr int kHelpContext = 108;

TQcSpinEdit* NewSpin(QWidget* parent, const char* name, int minimum, int maximum, int value)
{
    auto* spin = new TQcSpinEdit(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setMinValue(minimum);
    spin->setMaxValue(maximum);
    spin->setValue(value);
    return spin;
}

bool IsDateDefaultKeyword(const QString& text)
{
    const QString word = text.trimmed();
    return word.compare(QLatin1String("NOW"), Qt::CaseInsensitive) == 0
        || word.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
}

// The default as the box shows it: a literal without its quotes, unless
// the text inside would, typed again, mean another value (the string 'USER'
// is not the keyword USER).
QString shownDefault(const QString& source)
{
    const QString written = QvSql::StoredDefaultSource(source);
    const QString value = QvSql::Unquoted(written);
    return value != written && QvSql::IsWrittenValue(value) ? written : value;
}

} // namespace

TDomainForm::TDomainForm(quint64 dbId, QWidget* parent)
    : TObjectEditorBase(dbId, catDomains, kHelpContext, parent)
{
    setObjectName(QStringLiteral("DomainForm"));
    setWindowTitle(QStringLiteral("Create Domain"));
    auto* form = new QFormLayout(Body());

    DName = new QLineEdit(Body());
    DName->setObjectName(QStringLiteral("DName"));
    form->addRow(QStringLiteral("Name:"), DName);

    DType = new QComboBox(Body());
    DType->setObjectName(QStringLiteral("DType"));
    for (int type = dtSmallint; type <= dtDate; ++type)
        DType->addItem(DomainTypeName(type));
    DType->setCurrentIndex(-1);
    form->addRow(QStringLiteral("Type:"), DType);

    SizePages = new QStackedWidget(Body());
    SizePages->setObjectName(QStringLiteral("SizePages"));
    AddPage(QStringLiteral("None"));
    QWidget* sizePage = AddPage(QStringLiteral("Size"));
    auto* sizeRow = new QHBoxLayout(sizePage);
    sizeRow->setContentsMargins(0, 0, 0, 0);
    FSize = NewSpin(sizePage, "FSize", 1, 32765, 10);
    sizeRow->addWidget(new QLabel(QStringLiteral("Size:"), sizePage));
    sizeRow->addWidget(FSize);
    sizeRow->addStretch();
    QWidget* precisionPage = AddPage(QStringLiteral("Precision"));
    auto* precisionRow = new QHBoxLayout(precisionPage);
    precisionRow->setContentsMargins(0, 0, 0, 0);
    fPrecision = NewSpin(precisionPage, "fPrecision", 1, 18, 9);
    FScale = NewSpin(precisionPage, "FScale", 0, 18, 2);
    precisionRow->addWidget(new QLabel(QStringLiteral("Precision:"), precisionPage));
    precisionRow->addWidget(fPrecision);
    precisionRow->addWidget(new QLabel(QStringLiteral("Scale:"), precisionPage));
    precisionRow->addWidget(FScale);
    precisionRow->addStretch();
    form->addRow(QString(), SizePages);

    DDefault = new QComboBox(Body());
    DDefault->setObjectName(QStringLiteral("DDefault"));
    DDefault->setEditable(true);
    DDefault->setInsertPolicy(QComboBox::NoInsert);
    DDefault->addItems({QStringLiteral("NULL"), QStringLiteral("USER"), QStringLiteral("NOW")});
    DDefault->setCurrentIndex(-1);
    DDefault->setEditText(QString());
    form->addRow(QStringLiteral("Default:"), DDefault);

    DNotNull = new QCheckBox(QStringLiteral("NOT NULL"), Body());
    DNotNull->setObjectName(QStringLiteral("DNotNull"));
    form->addRow(QString(), DNotNull);

    DCheck = new QCheckBox(QStringLiteral("Check:"), Body());
    DCheck->setObjectName(QStringLiteral("DCheck"));
    DCheckText = new QPlainTextEdit(Body());
    DCheckText->setObjectName(QStringLiteral("DCheckText"));
    DCheckText->setTabChangesFocus(true);
    DCheckText->setPlainText(QStringLiteral("VALUE "));
    DCheckText->setEnabled(false);
    form->addRow(DCheck, DCheckText);

    KeepUpperCase(DName);
    connect(DName, &QLineEdit::textEdited, this, [this] { NoteChange(); });
    connect(DType, &QComboBox::currentIndexChanged, this, [this] {
        DTypeChange();
        NoteChange();
    });
    FSize->OnChange = [this](QObject*) { NoteChange(); };
    fPrecision->OnChange = [this](QObject*) { NoteChange(); };
    FScale->OnChange = [this](QObject*) { NoteChange(); };
    connect(DDefault, &QComboBox::editTextChanged, this, [this] { NoteChange(); });
    connect(DNotNull, &QCheckBox::toggled, this, [this] { NoteChange(); });
    connect(DCheck, &QCheckBox::toggled, this, [this](bool on) {
        DCheckText->setEnabled(on);
        NoteChange();
    });
    connect(DCheckText, &QPlainTextEdit::textChanged, this, [this] { NoteChange(); });
    // The base window already sees every event of the application first
    // (eventFilter), the default's keys and the type box's focus among them.
    resize(420, 300);
}

QWidget* TDomainForm::AddPage(const QString& name)
{
    auto* page = new QWidget(SizePages);
    page->setObjectName(name);
    SizePages->addWidget(page);
    return page;
}

void TDomainForm::DTypeChange()
{
    switch (DType->currentIndex()) {
    case dtNumeric:
        SizePages->setCurrentIndex(2);
        break;
    case dtChar:
    case dtVarchar:
        SizePages->setCurrentIndex(1);
        break;
    default:
        SizePages->setCurrentIndex(0);
        break;
    }
}

bool TDomainForm::RefusedDefaultKey(const QString& typed) const
{
    if (typed.isEmpty())
        return false;
    const QChar key = typed.front();
    // Backspace, Tab, Enter and Esc pass whatever the type.
    if (key.unicode() < 0x20 || key.unicode() == 0x7f)
        return false;
    switch (DType->currentIndex()) {
    case dtSmallint:
    case dtInteger:
        return !key.isDigit();
    case dtNumeric:
    case dtDoublePrecision:
        return !key.isDigit() && key != LocaleSettings().decimalSeparator;
    default:
        return false;
    }
}

void TDomainForm::DDefaultExit()
{
    const QString text = DDefault->currentText();
    if (DType->currentIndex() != dtDate || text.trimmed().isEmpty() || IsDateDefaultKeyword(text))
        return;
    try {
        DomainDefaultValue(DType->currentText(), text);
    } catch (const EConvertError& error) {
        qv::messageDlg(error.message(), qv::mtError, qv::mbOK);
    }
}

bool TDomainForm::eventFilter(QObject* watched, QEvent* event)
{
    // Called for every event of the application, from the base's
    // constructor on: the controls may not exist yet.
    if (!DDefault || !DType)
        return TObjectEditorBase::eventFilter(watched, event);
    // The box holds the focus and hands typed keys straight to its line
    // edit, past any filter: they are refused on their way to either.
    if ((watched == DDefault || watched == DDefault->lineEdit()) && event->type() == QEvent::KeyPress
        && RefusedDefaultKey(static_cast<QKeyEvent*>(event)->text()))
        return true;
    if (watched == DDefault->lineEdit()) {
        if (event->type() == QEvent::FocusOut)
            DDefaultExit();
    } else if (watched == DType && event->type() == QEvent::FocusIn && DType->isEnabled()) {
        if (DType->currentIndex() < 0)
            DType->setCurrentIndex(dtInteger);
    }
    return TObjectEditorBase::eventFilter(watched, event);
}

void TDomainForm::LoadDomain(const QString& name)
{
    TQvDatabase* database = Database();
    const int dialect = database->SQLDialect();
    QString typeText;
    int size = 0;
    QString defaultText;
    QString checkText;
    bool notNull = false;
    {
        TQvQuery& query = *DM->Query();
        DM->IBTran()->SetDefaultDatabase(database);
        TQvTransactionScope transaction(DM->IBTran());
        {
            TCatalogQuery rows(query, database,
                               QStringLiteral("Select f.*, %1 from rdb$fields f where f.rdb$field_name=")
                                       .arg(TypeFactColumns(QStringLiteral("f")))
                                   + QvSql::SingleQuoted(name));
            if (rows.Eof())
                throw EDatabaseError(QStringLiteral("Domain %1 not found").arg(name));
            const int length = rows.Integer(QStringLiteral("RDB$FIELD_LENGTH"));
            const int characters = rows.Integer(QStringLiteral("RDB$CHARACTER_LENGTH"));
            typeText = QvTypes::TypeText(TTypeFactReader(rows).Read(rows), dialect, QStringLiteral("Domain %1").arg(name));
            size = characters > 0 ? characters : length;
            notNull = rows.Integer(QStringLiteral("RDB$NULL_FLAG")) == 1;
            defaultText = shownDefault(rows.Text(QStringLiteral("RDB$DEFAULT_SOURCE")));
            checkText = QvSql::ParenthesizedText(rows.Text(QStringLiteral("RDB$VALIDATION_SOURCE")),
                                                 QLatin1String("CHECK"));
        }
        transaction.Commit();
    }

    m_loading = true;
    DName->setText(name);
    DName->setReadOnly(true);
    int index = DomainTypeIndex(typeText);
    if (index < 0) {
        // A type the list does not offer is shown as it is, never renamed.
        const qsizetype open = typeText.indexOf(u'(');
        DType->addItem(open < 0 ? typeText : typeText.left(open));
        index = DType->count() - 1;
    }
    DType->setCurrentIndex(index);
    if (index == dtChar || index == dtVarchar) {
        FSize->setValue(size);
    } else {
        // Precision and scale as declared (a Decimal too, shown under its own name).
        static const QRegularExpression numbers(QStringLiteral("\\((\\d+),(\\d+)\\)"));
        const QRegularExpressionMatch match = numbers.match(typeText);
        if (match.hasMatch()) {
            SizePages->setCurrentIndex(2);
            fPrecision->setValue(match.captured(1).toInt());
            FScale->setValue(match.captured(2).toInt());
        }
    }
    DNotNull->setChecked(notNull);
    DDefault->setEditText(defaultText);
    DCheck->setChecked(!checkText.isEmpty());
    if (!checkText.isEmpty())
        DCheckText->setPlainText(checkText);
    for (QWidget* fixed : std::initializer_list<QWidget*>{DType, SizePages, DNotNull})
        fixed->setEnabled(false);
    m_loading = false;
    m_loadedType = typeText;
    OldDefault = defaultText;
    OldCheck = checkText;
    OldNotNull = notNull;
    SetEditing(name);
    setWindowTitle(QStringLiteral("Edit Domain: ") + name);
}

TDomainDefinition TDomainForm::Definition() const
{
    TDomainDefinition domain;
    domain.Name = ObjectName(DName->text());
    domain.TypeName = IsNew() ? DType->currentText() : m_loadedType;
    domain.Size = FSize->AsInteger();
    domain.Precision = fPrecision->AsInteger();
    domain.Scale = FScale->AsInteger();
    domain.Default = DDefault->currentText();
    domain.NotNull = DNotNull->isChecked();
    domain.Check = DCheck->isChecked();
    domain.CheckText = DCheckText->toPlainText();
    return domain;
}

QString TDomainForm::SaveStatement() const
{
    const TDomainDefinition domain = Definition();
    return IsNew() ? CreateDomainStatement(domain, Dialect())
                   : AlterDomainStatement(domain, OldDefault, OldCheck, Dialect());
}

bool TDomainForm::OkBtnClick()
{
    if (!IsNew() && !Modified()) {
        CloseAfterSave();
        return true;
    }
    if (!CheckName(DName->text(), QStringLiteral(" is not valid domain name !")))
        return false;
    const TDomainDefinition domain = Definition();
    if (IsNew() && DType->currentIndex() < 0) {
        qv::messageDlg(QStringLiteral("Choose the domain's type"), qv::mtError, qv::mbOK);
        return false;
    }
    const QString sql = SaveStatement();
    // An existing domain saved as it was needs no statement.
    if (!sql.isEmpty())
        ExecuteDDL(sql);
    if (IsNew()) {
        SetEditing(domain.Name);
        AddCreatedNode(domain.Name);
    }
    CloseAfterSave();
    return true;
}

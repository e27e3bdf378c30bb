#include "app/editors/FieldParam.h"

#include "access/QvSqlText.h"
#include "app/editors/FormControls.h"
#include "app/shell/MyConst.h"
#include "components/CurrEdit.h"
#include "components/SpinEdit.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString DomainsLine = QStringLiteral("--- DOMAINS: ---");
const QString NoExpression = QStringLiteral("--- Expression ---");

enum SizePage { spNone = 0, spSize = 1, spPrecision = 2 };

int PageOf(const QString& type)
{
    if (IsTextColumnType(type))
        return spSize;
    if (type.compare(QLatin1String("Decimal"), Qt::CaseInsensitive) == 0
        || type.compare(QLatin1String("Numeric"), Qt::CaseInsensitive) == 0)
        return spPrecision;
    return spNone;
}

QChar DecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

} // namespace

int DefaultFilterOf(const QString& type, bool isDomain)
{
    if (isDomain)
        return 0;
    if (IsExactNumberColumnType(type))
        return 1;
    return IsNumberColumnType(type) ? 2 : 0;
}

TFieldParam::TFieldParam(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TFieldParam"));
    FName = new QLineEdit(this);
    FName->setObjectName(QStringLiteral("FName"));
    FName->setMaxLength(NameEditMaxLength);
    KeepUpperCase(FName);
    FType = new QComboBox(this);
    FType->setObjectName(QStringLiteral("FType"));
    FType->setMaxVisibleItems(12);
    TypeHint = new QLabel(this);
    TypeHint->setObjectName(QStringLiteral("TypeHint"));
    TypeHint->hide();

    SizePages = new QStackedWidget(this);
    SizePages->setObjectName(QStringLiteral("SizePages"));
    auto* none = new QWidget(SizePages);
    none->setObjectName(QStringLiteral("None"));
    auto* sizePage = new QWidget(SizePages);
    sizePage->setObjectName(QStringLiteral("Size"));
    FSize = new TCurrencyEdit(sizePage);
    FSize->setObjectName(QStringLiteral("FSize"));
    FSize->SetDecimalPlaces(0);
    FSize->SetDisplayFormat(QStringLiteral("0"));
    auto* sizeLayout = new QHBoxLayout(sizePage);
    sizeLayout->setContentsMargins(0, 0, 0, 0);
    sizeLayout->addWidget(new QLabel(QStringLiteral("Size:"), sizePage));
    sizeLayout->addWidget(FSize);
    auto* precisionPage = new QWidget(SizePages);
    precisionPage->setObjectName(QStringLiteral("Precision"));
    fPrecision = new TQcSpinEdit(precisionPage);
    fPrecision->setObjectName(QStringLiteral("fPrecision"));
    fPrecision->setMinValue(1);
    fPrecision->setMaxValue(18);
    FScale = new TQcSpinEdit(precisionPage);
    FScale->setObjectName(QStringLiteral("FScale"));
    FScale->setMinValue(0);
    FScale->setMaxValue(18);
    auto* precisionLayout = new QHBoxLayout(precisionPage);
    precisionLayout->setContentsMargins(0, 0, 0, 0);
    precisionLayout->addWidget(new QLabel(QStringLiteral("Precision:"), precisionPage));
    precisionLayout->addWidget(fPrecision);
    precisionLayout->addWidget(new QLabel(QStringLiteral("Scale:"), precisionPage));
    precisionLayout->addWidget(FScale);
    SizePages->addWidget(none);
    SizePages->addWidget(sizePage);
    SizePages->addWidget(precisionPage);

    FNull = new QCheckBox(QStringLiteral("NULL"), this);
    FNull->setObjectName(QStringLiteral("FNull"));
    FDefault = new QLineEdit(this);
    FDefault->setObjectName(QStringLiteral("FDefault"));
    FDefault->installEventFilter(this);
    Computed = new QCheckBox(QStringLiteral("Computed By"), this);
    Computed->setObjectName(QStringLiteral("Computed"));
    Formula = new QLineEdit(this);
    Formula->setObjectName(QStringLiteral("Formula"));
    OkBtn = MakeButton(this, QStringLiteral("OkBtn"), QStringLiteral("OK"));
    CancelBtn = MakeButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Field Name:"), FName);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(FType, 1);
    typeRow->addWidget(TypeHint);
    form->addRow(QStringLiteral("Field type:"), typeRow);
    form->addRow(QString(), SizePages);
    form->addRow(QString(), FNull);
    form->addRow(QStringLiteral("Default:"), FDefault);
    form->addRow(Computed, Formula);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setStyleSheet(QStringLiteral("TFieldParam { border: 1px solid palette(dark); }"));

    connect(FType, &QComboBox::currentIndexChanged, this, [this] { TypeChanged(); });
    connect(Computed, &QCheckBox::toggled, this, [this] { ComputedChanged(); });
    connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        ExitKind = ekCancel;
        reject();
    });
}

void TFieldParam::SetTypes(const QStringList& builtIn, const std::vector<TDomainInfo>& domains)
{
    const QSignalBlocker blocker(FType);
    FType->clear();
    FType->addItems(builtIn);
    m_domains = domains;
    m_domainStart = -1;
    if (!domains.empty()) {
        FType->addItem(DomainsLine);
        m_domainStart = FType->count();
        for (const TDomainInfo& domain : domains)
            FType->addItem(domain.Name);
    }
}

bool TFieldParam::IsDomain(const QString& type) const
{
    return DomainType(type) != 0;
}

int TFieldParam::DomainType(const QString& type) const
{
    for (const TDomainInfo& domain : m_domains)
        if (domain.Name == type)
            return domain.FieldType;
    return 0;
}

void TFieldParam::LoadColumn(const TColumnDef& column)
{
    FName->setText(QvSql::TypedName(column.Name, m_dialect));
    {
        const QSignalBlocker blocker(FType);
        int index = FType->findText(column.Type, Qt::MatchFixedString);
        if (index < 0 && !column.Type.isEmpty()) {
            // A type the list does not offer (a blob of a sub-type) stays choosable.
            const int at = m_domainStart < 0 ? FType->count() : m_domainStart - 1;
            FType->insertItem(at, column.Type);
            if (m_domainStart >= 0)
                ++m_domainStart;
            index = at;
        }
        FType->setCurrentIndex(index);
    }
    const int comma = column.Size.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        fPrecision->setValue(column.Size.left(comma).toInt());
        FScale->setValue(column.Size.mid(comma + 1).toInt());
        FSize->SetValue(0);
    } else {
        FSize->SetValue(column.Size.toInt());
        fPrecision->setValue(9);
        FScale->setValue(0);
    }
    FNull->setChecked(column.Null == QLatin1String("Yes"));
    FDefault->setText(column.Default);
    Computed->setChecked(column.IsComputed());
    Formula->setText(column.IsComputed() ? column.Computed : NoExpression);
    TypeChanged();
    ComputedChanged();
}

TColumnDef TFieldParam::Column(const TColumnDef& before) const
{
    TColumnDef column = before;
    column.Name = QvSql::NameFromTyped(FName->text(), m_dialect);
    column.Type = FType->currentText();
    switch (SizePages->currentIndex()) {
    case spSize: column.Size = QString::number(qRound64(FSize->Value())); break;
    case spPrecision: column.Size = QStringLiteral("%1,%2").arg(fPrecision->AsInteger()).arg(FScale->AsInteger()); break;
    default: column.Size.clear(); break;
    }
    column.Null = FNull->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No");
    column.Default = FDefault->text();
    // Numbers reach the server with a point, whatever the locale.
    if (DefaultFilterOf(column.Type, IsDomain(column.Type)) == 2)
        column.Default.replace(DecimalSeparator(), QLatin1Char('.'));
    const QString formula = Formula->text().trimmed();
    if (Computed->isChecked() && !formula.isEmpty() && formula != NoExpression) {
        column.Computed = formula;
        column.Type.clear();
        column.Size.clear();
        column.Null.clear();
        column.Default.clear();
    } else {
        column.Computed.clear();
    }
    return column;
}

void TFieldParam::TypeChanged()
{
    if (FType->currentText() == DomainsLine && FType->currentIndex() + 1 < FType->count()) {
        FType->setCurrentIndex(FType->currentIndex() + 1);
        return;
    }
    const QString type = FType->currentText();
    const int domainType = DomainType(type);
    SizePages->setCurrentIndex(domainType != 0 ? spNone : PageOf(type));
    if (domainType != 0) {
        for (const TDomainInfo& domain : m_domains)
            if (domain.Name == type)
                TypeHint->setText(QStringLiteral("Base domain type: ") + domain.TypeText);
        TypeHint->show();
    } else {
        TypeHint->hide();
    }
}

void TFieldParam::ComputedChanged()
{
    const bool computed = Computed->isChecked();
    Formula->setEnabled(computed);
    FType->setEnabled(!computed);
    SizePages->setEnabled(!computed);
    FNull->setEnabled(!computed);
    FDefault->setEnabled(!computed);
    if (computed && Formula->text() == NoExpression)
        Formula->clear();
}

bool TFieldParam::CheckDefault()
{
    const QString text = FDefault->text();
    const int filter = DefaultFilterOf(FType->currentText(), IsDomain(FType->currentText()));
    if (text.isEmpty() || filter == 0 || !FDefault->isEnabled())
        return true;
    bool ok = false;
    if (filter == 1) {
        text.toLongLong(&ok);
        if (!ok)
            qv::showMessage(QStringLiteral("This is not integer value !"));
    } else {
        QString number = text;
        number.replace(DecimalSeparator(), QLatin1Char('.'));
        number.toDouble(&ok);
        if (!ok)
            qv::showMessage(QStringLiteral("This is not floating point value !"));
    }
    return ok;
}

void TFieldParam::OkBtnClick()
{
    if (FName->text().trimmed().isEmpty()) {
        FName->setFocus();
        return;
    }
    const QString refusal = NameRefusal();
    if (!refusal.isEmpty()) {
        qv::messageDlg(refusal, qv::mtError, qv::mbOK);
        FName->setFocus();
        return;
    }
    if (!CheckDefault()) {
        FDefault->setFocus();
        return;
    }
    ExitKind = ekOk;
    accept();
}

QString TFieldParam::NameRefusal() const
{
    const QString refusal = ::NameRefusal(FName->text(), m_dialect, QStringLiteral(" is not valid Identifier !"));
    if (!refusal.isEmpty())
        return refusal;
    if (IsNewColumn && m_otherNames.contains(QvSql::NameFromTyped(FName->text(), m_dialect)))
        return QStringLiteral("Duplicate Field Name !");
    return {};
}

void TFieldParam::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ExitKind = ekNone;
    IsNewColumn = FName->text().isEmpty();
    FName->setFocus();
    TypeChanged();
    ComputedChanged();
}

void TFieldParam::keyPressEvent(QKeyEvent* event)
{
    const bool inTypeBox = FType->hasFocus();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter runs the same checks as OK: a duplicate name never reaches the grid.
        if (!inTypeBox)
            OkBtnClick();
        return;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (!inTypeBox && !FName->text().trimmed().isEmpty() && CheckDefault()) {
            const QString refusal = NameRefusal();
            if (!refusal.isEmpty()) {
                qv::messageDlg(refusal, qv::mtError, qv::mbOK);
                return;
            }
            ExitKind = event->key() == Qt::Key_Down ? ekDown : ekUp;
            accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        ExitKind = ekCancel;
        reject();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

bool TFieldParam::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FDefault && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int filter = DefaultFilterOf(FType->currentText(), IsDomain(FType->currentText()));
        const QString text = key->text();
        if (filter != 0 && !text.isEmpty() && text.front().isPrint()) {
            const QChar c = text.front();
            const bool digit = c.isDigit();
            const bool separator = filter == 2 && (c == DecimalSeparator() || c == QLatin1Char('.'));
            if (!digit && !separator)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

#include "app/editors/DebugWrapper.h"

#include "access/QvSqlScan.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "app/editors/DebugWords.h"


namespace {

const QString CrLf = QStringLiteral("\r\n");

// The name as it stands in the procedure text, by the one name rule: a
// quoted name keeps its quotes, a reserved word is quoted in dialect 3 (where
// the procedure itself must have quoted it); what the database's dialect
// cannot write is refused.
QString procedureIdentifier(const QString& name, const TWrapperContext& context, const QString& varName)
{
    if (name.trimmed().isEmpty() || !QvSql::IsValidTypedName(name, context.Dialect))
        throw EDebugError(QString::fromLatin1(DebugMessages::InvalidVariableName).arg(varName));
    return QvSql::SourceName(name, context.Dialect);
}

// Pasted into the procedure's declarations: only a type the catalog makes
// or takes, a quoted character set or collation and array bounds included.
QString checkedType(const TSQLVar& var)
{
    if (var.Type.trimmed().isEmpty() || !QvTypes::IsValidTypeText(var.Type))
        throw EDebugError(QString::fromLatin1(DebugMessages::InvalidVariableType).arg(var.Type, var.Name));
    return var.Type;
}

// The parameter that carries a trigger column, by its column as written
// after "new." ("1") or "old." ("2"). A quoted column gives a quoted
// parameter, unless the name it stands for reads the same unquoted: new."ID"
// and new.id are one column, and so one parameter.
QString triggerParam(const QString& tag, QChar which, const QString& column)
{
    if (!column.startsWith(u'"'))
        return tag + which + column;
    const QString stored = QvSql::NameFromTyped(column, 3);
    const QString param = tag + which + stored;
    return QvSql::IsPlainName(stored) ? param : QvSql::Identifier(param, 3);
}

QString paramNameOf(const QString& varName, const TWrapperContext& context)
{
    if (context.Mode != dmTrigger)
        return varName;
    if (varName.startsWith(u"new.", Qt::CaseInsensitive))
        return triggerParam(context.Tag, QLatin1Char('1'), varName.mid(4));
    if (varName.startsWith(u"old.", Qt::CaseInsensitive))
        return triggerParam(context.Tag, QLatin1Char('2'), varName.mid(4));
    return varName;
}

// The length of the quoted name at the start of text, 0 when none starts there.
qsizetype quotedNameLength(QStringView text)
{
    if (!text.startsWith(u'"'))
        return 0;
    QvSql::Scanner scanner(text);
    QvSql::Span span;
    return scanner.Next(span) && span.Kind == QvSql::SpanKind::String && span.Closed ? span.Length : 0;
}

// "(" + the declarations, each followed by a line break, separated by "," + ")".
QString declarationList(const QStringList& declarations)
{
    QString list;
    for (const QString& declaration : declarations) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += declaration + CrLf;
    }
    return QLatin1Char('(') + list + QLatin1Char(')');
}

// The select with every ":" + quoted name in code turned into ":" + a plain
// name, which params maps back to the quoted name.
QString markQuotedParams(const QString& select, QMap<QString, QString>& params)
{
    QString marked;
    marked.reserve(select.size());
    QvSql::ForEachSpan(select, [&](const QvSql::Span& span) {
        const QStringView piece = QStringView(select).mid(span.Start, span.Length);
        if (span.Kind == QvSql::SpanKind::String && piece.startsWith(u'"') && marked.endsWith(u':')) {
            const QString mark = QStringLiteral("QV$P%1").arg(params.size() + 1);
            params.insert(mark, piece.toString());
            marked += mark;
        } else {
            marked += piece;
        }
        return true;
    });
    return marked;
}

} // namespace

TWrappedStatement BuildWrapper(const QString& statementText, const std::vector<TSQLVar>& used,
                               const TWrapperContext& context)
{
    TWrappedStatement wrapped;
    const QString first = FirstWordOfStatement(statementText);
    wrapped.IsCondition = first == u"if" || first == u"while";
    const QString tag = context.Tag;
    const QString text = context.Mode == dmTrigger ? MapTriggerNames(statementText, tag) : statementText;

    QStringList inputs;
    QStringList outputs;
    QStringList copies;
    QStringList marks;
    for (const TSQLVar& var : used) {
        const QString param = paramNameOf(var.Name, context);
        const QString type = checkedType(var);
        const QString input = procedureIdentifier(param, context, var.Name);
        const QString output = procedureIdentifier(TaggedName(param, tag), context, var.Name);
        inputs << input + QLatin1Char(' ') + type;
        outputs << output + QLatin1Char(' ') + type;
        copies << output + QLatin1Char('=') + input + QLatin1Char(';');
        // Values are bound by position; a mark is named only for the reader.
        marks << QLatin1Char('?') + (param.startsWith(u'"') ? QStringLiteral("v%1").arg(marks.size() + 1) : param);
        wrapped.Params.push_back({var.Name, param});
    }
    if (wrapped.IsCondition)
        outputs << tag + QStringLiteral(" smallint");

    QString statementLine;
    if (first == u"if")
        statementLine = text + QLatin1Char(' ') + tag + QStringLiteral("=0;") + CrLf + QStringLiteral(" else ") + tag
                        + QStringLiteral("=1;");
    else if (first == u"while")
        statementLine = QStringLiteral("if ") + text.mid(5) + QStringLiteral(" then ") + tag
                        + QStringLiteral("=0; else ") + tag + QStringLiteral("=1;");
    else
        statementLine = text + QLatin1Char(';');

    QStringList lines{QStringLiteral("create procedure ") + context.ProcName};
    if (!inputs.isEmpty())
        lines << declarationList(inputs);
    if (!outputs.isEmpty())
        lines << QStringLiteral("returns ") + declarationList(outputs);
    lines << QStringLiteral("as") << QStringLiteral("begin") << statementLine;
    lines << copies;
    lines << QStringLiteral("end");
    wrapped.CreateText = lines.join(CrLf);

    wrapped.ExecuteText = QStringLiteral("execute procedure ") + context.ProcName + QLatin1Char(' ');
    if (!marks.isEmpty())
        wrapped.ExecuteText += QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    wrapped.DropText = QStringLiteral("drop procedure ") + context.ProcName;
    return wrapped;
}

QString MapTriggerNames(const QString& text, const QString& tag)
{
    const std::vector<bool> code = CodeMask(text);
    QString mapped;
    mapped.reserve(text.size() + 16);
    qsizetype i = 0;
    while (i < text.size()) {
        const bool wordStart = i == 0 || IsWordBoundary(text.at(i - 1));
        const QStringView rest = QStringView(text).mid(i);
        const bool isNew = rest.startsWith(u"new.", Qt::CaseInsensitive);
        if (code[std::size_t(i)] && wordStart && (isNew || rest.startsWith(u"old.", Qt::CaseInsensitive))) {
            if (i == 0 || text.at(i - 1) != u':')
                mapped += QLatin1Char(':');
            const QChar which = isNew ? QLatin1Char('1') : QLatin1Char('2');
            const qsizetype quoted = quotedNameLength(rest.mid(4));
            if (quoted > 0) {
                mapped += triggerParam(tag, which, rest.mid(4, quoted).toString());
                i += 4 + quoted;
            } else {
                mapped += tag + which;
                i += 4;
            }
            continue;
        }
        mapped += text.at(i);
        ++i;
    }
    return mapped;
}

QString VariableOfParam(const QString& paramName, const TWrapperContext& context)
{
    const bool quoted = paramName.startsWith(u'"');
    const QString name = quoted ? QvSql::NameFromTyped(paramName, 3) : paramName;
    if (context.Mode != dmTrigger || name.size() <= context.Tag.size() + 1
        || !name.startsWith(context.Tag, Qt::CaseInsensitive))
        return paramName;
    const QChar which = name.at(context.Tag.size());
    const QString rest = name.mid(context.Tag.size() + 1);
    const QString column = quoted ? QvSql::TypedName(rest, 3) : rest;
    if (which == u'1')
        return QStringLiteral("new.") + column;
    if (which == u'2')
        return QStringLiteral("old.") + column;
    return paramName;
}

TForSelect ParseForSelect(const QString& loopText, const TWrapperContext& context)
{
    QString text = loopText;
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    const int into = PosWord(text, QStringLiteral("into"));
    if (into == 0)
        throw EDebugError(QString::fromLatin1(DebugMessages::IntoNotFound));
    TForSelect loop;
    QString list = text.mid(into - 1 + 4);
    list.remove(u'\r');
    list.remove(u'\n');
    list.remove(u':');
    for (const QString& name : list.split(QLatin1Char(','))) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty())
            loop.Into << trimmed;
    }
    // The head starts with "for"; the select follows it.
    loop.Select = text.mid(3, into - 1 - 3).trimmed();
    if (context.Mode == dmTrigger)
        loop.Select = MapTriggerNames(loop.Select, context.Tag);
    loop.Select = markQuotedParams(loop.Select, loop.QuotedParams);
    return loop;
}

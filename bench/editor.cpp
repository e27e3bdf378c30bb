// Benchmark of the SQL editor control on a large generated script: setting
// the text, painting, paging, a comment opened at the top that re-colours
// the whole file, and how many lines a keystroke and a paste rescan.
// QV_BENCH_SCALE multiplies the number of lines.
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The keyword list the data module gives its highlighter.
const char* const kKeywords =
    "ACTIVE ADD AFTER ALL ALTER AND ANY AS ASC ASCENDING AT AUTO AUTODDL AVG BASE_NAME BASED BASENAME BEFORE "
    "BEGIN BETWEEN BLOB BLOBEDIT BUFFER BY CACHE CAST CHAR CHAR_LENGTH CHARACTER CHARACTER_LENGTH CHECK "
    "CHECK_POINT_LEN CHECK_POINT_LENGTH CLOSE COLLATE COLLATION COLUMN COMMIT COMMIT_GROUP_WAIT COMMITTED "
    "COMPILETIME COMPUTED CONDITIONAL CONNECT CONSTRAINT CONTAINING CONTINUE COUNT CREATE CSTRING CURRENT "
    "CURSOR DATABASE DATE DB_KEY DEBUG DEC DECIMAL DECLARE DEFAULT DELETE DESC DESCENDING DESCRIBE DESCRIPTOR "
    "DISCONNECT DISPLAY DISTINCT DO DOMAIN DOUBLE DROP ECHO EDIT ELSE END ENTRY_POINT ESCAPE EVENT EXCEPTION "
    "EXECUTE EXISTS EXIT EXTERN EXTERNAL EXTRACT FETCH FILE FILTER FLOAT FOR FOREIGN FOUND FROM FULL FUNCTION "
    "GDSCODE GEN_ID GENERATOR GLOBAL GOTO GRANT GROUP GROUP_COMMIT_WAIT_TIME HAVING HELP IF IMMEDIATE IN "
    "INACTIVE INDEX INDICATOR INIT INNER INPUT INPUT_TYPE INSERT INT INTEGER INTO IS ISOLATION ISQL JOIN KEY "
    "LC_MESSAGES LC_TYPE LEFT LENGTH LEV LEVEL LIKE LOG_BUF_SIZE LOG_BUFFER_SIZE LOGFILE LONG MANUAL MAX "
    "MAX_SEGMENT MAXIMUM MAXIMUM_SEGMENT MERGE MESSAGE MIN MINIMUM MODULE_NAME NAMES NATIONAL NATURAL NCHAR NO "
    "NOAUTO NOT NULL NUM_LOG_BUFFERS NUM_LOG_BUFS NUMERIC OCTET_LENGTH OF ON ONLY OPEN OPTION OR ORDER OUTER "
    "OUTPUT OUTPUT_TYPE OVERFLOW PAGE PAGE_SIZE PAGELENGTH PAGES PARAMETER PASSWORD PLAN POSITION POST_EVENT "
    "PRECISION PREPARE PRIMARY PRIVILEGES PROCEDURE PROTECTED PUBLIC QUIT RAW_PARTITIONS RDB$DB_KEY READ REAL "
    "RECORD_VERSION REFERENCES RELEASE RESERV RESERVING RETAIN RETURN RETURNING_VALUES RETURNS REVOKE RIGHT "
    "ROLLBACK RUNTIME SCHEMA SEGMENT SELECT SET SHADOW SHARED SHELL SHOW SINGULAR SIZE SMALLINT SNAPSHOT SOME "
    "SORT SQL SQLCODE SQLERROR SQLWARNING STABILITY STARTING STARTS STATEMENT STATIC STATISTICS SUB_TYPE SUM "
    "SUSPEND TABLE TERMINATOR THEN TO TRANSACTION TRANSLATE TRANSLATION TRIGGER TRIM UNCOMMITTED UNION UNIQUE "
    "UPDATE UPPER USER USING VALUE VALUES VARCHAR VARIABLE VARYING VERSION VIEW WAIT WHEN WHENEVER WHERE WHILE "
    "WITH WORK WRITE";

QStringList linkWords()
{
    static const char* const stems[] = {"CUSTOMER", "ORDERS", "INVOICE", "PRODUCT", "STOCK",
                                        "SUPPLIER", "PAYMENT", "ADDRESS", "EMPLOYEE", "PROJECT"};
    QStringList words;
    for (int i = 0; i < 1000; ++i)
        words.append(QStringLiteral("%1_%2").arg(QLatin1String(stems[i % 10])).arg(i / 10, 3, 10, QLatin1Char('0')));
    return words;
}

// One line of a plausible script: statements over the link words, strings,
// numbers, procedure bodies. No comment ever closes, so a comment opened on
// the first line runs to the end.
QString scriptLine(int n, const QStringList& links)
{
    const QString& a = links.at((n * 7) % links.size());
    const QString& b = links.at((n * 13 + 5) % links.size());
    switch (n % 8) {
    case 0: return QStringLiteral("select c.ID, c.NAME from %1 c join %2 o").arg(a, b);
    case 1: return QStringLiteral("  where o.AMOUNT > %1.50 and c.CITY = 'Rome'").arg(n % 977);
    case 2: return QStringLiteral("insert into %1 values (%2, 3, 1.5e3);").arg(a).arg(n);
    case 3: return QStringLiteral("update %1 set STATUS = \"done\" where ID = %2;").arg(b).arg(n);
    case 4: return QStringLiteral("create procedure P_%1 (X integer) returns (Y float) as").arg(n);
    case 5: return QStringLiteral("  declare variable V_%1 varchar(40);").arg(n % 100);
    case 6: return QStringLiteral("begin for select ID from %1 into :Y do suspend; end").arg(a);
    default: return QStringLiteral("  order by 1 desc, $1F, #13 group by %1.REGION").arg(b);
    }
}

int benchScale()
{
    bool ok = false;
    const int scale = qEnvironmentVariableIntValue("QV_BENCH_SCALE", &ok);
    return ok && scale > 0 ? scale : 1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lineCount = 100000 * benchScale();
    const QStringList links = linkWords();

    QStringList script;
    script.reserve(lineCount);
    for (int i = 0; i < lineCount; ++i)
        script.append(scriptLine(i, links));
    const QString text = script.join(QLatin1String("\r\n"));
    std::fprintf(stderr, "# %d lines, %.1f MB of text\n", lineCount, text.size() / 1e6);

    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    syn.SetKeyWords(QString::fromLatin1(kKeywords).split(QLatin1Char(' ')));
    syn.LinkWords().Assign(links);
    syn.CommentAttri()->SetForeground(QColor(0, 128, 0));
    syn.KeyAttri()->SetStyle(fsBold);
    syn.StringAttri()->SetForeground(Qt::red);
    syn.NumberAttri()->SetForeground(Qt::blue);
    syn.HyperLinkAttri()->SetStyle(fsBold | fsUnderline);

    TqeCustomEdit edit;
    edit.SetHighLighter(&syn);
    edit.resize(1000, 760);
    edit.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    edit.SetText(text);
    const double setText = timer.nsecsElapsed() / 1e9;
    QApplication::processEvents();

    // A paint of the whole view in the middle of the file.
    edit.SetTopLine(lineCount / 2);
    edit.SetCaretXY({1, lineCount / 2});
    QApplication::processEvents();
    std::vector<double> paints;
    for (int i = 0; i < 15; ++i) {
        timer.restart();
        edit.viewport()->repaint();
        paints.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::fprintf(stderr, "# a paint draws %d lines\n", edit.LinesPainted());

    // Paging: the page-down command, then the window painted.
    timer.restart();
    for (int i = 0; i < 100; ++i) {
        edit.ExecuteCommand(ecPageDown, QChar(), nullptr);
        edit.viewport()->repaint();
    }
    const double pageDown = timer.nsecsElapsed() / 1e6;

    // "/*" typed at the start of the first line comments out the whole file.
    edit.SetCaretXY({1, 1});
    QApplication::processEvents();
    timer.restart();
    edit.SetSelText(QStringLiteral("/"));
    edit.viewport()->repaint();
    edit.SetSelText(QStringLiteral("*"));
    edit.viewport()->repaint();
    const double openComment = timer.nsecsElapsed() / 1e6;
    const bool wholeFile = edit.Lines()->Objects(edit.LineCount() - 1) == rsCStyle;
    edit.SetBlockBegin({1, 1});
    edit.SetBlockEnd({3, 1});
    edit.SetSelText(QString());

    // One letter typed in the middle of the file.
    edit.SetCaretXY({8, lineCount / 2});
    edit.SetSelText(QStringLiteral("x"));
    const int keystrokeRescans = edit.Lines()->LinesRescanned();

    // 10,000 lines pasted in the middle of a line.
    QStringList pasted;
    for (int i = 0; i < 10000; ++i)
        pasted.append(scriptLine(i + 3, links));
    edit.SetCaretXY({12, lineCount / 2 + 100});
    edit.SetSelText(pasted.join(QLatin1String("\r\n")));
    const int pasteRescans = edit.Lines()->LinesRescanned();

    if (!wholeFile)
        std::fprintf(stderr, "# the opened comment did not reach the last line\n");
    std::printf("BENCH editor_set_text ours=%.3fs\n", setText);
    std::printf("BENCH editor_paint ours=%.2fms\n", median(paints));
    std::printf("BENCH editor_page_down ours=%.1fms\n", pageDown);
    std::printf("BENCH editor_open_comment ours=%.1fms\n", openComment);
    std::printf("BENCH editor_keystroke_rescans ours=%d\n", keystrokeRescans);
    std::printf("BENCH editor_paste_rescans ours=%d\n", pasteRescans);
    return wholeFile ? 0 : 1;
}

#pragma once

// The data module every window shares: the connection objects each user binds
// to its own database before use, and the SQL highlighter with the keyword
// list. The program creates one, right after the main window.

#include <QObject>
#include <QStringList>

class TQvDataSet;
class TQvDatabase;
class TQvQuery;
class TQvTransaction;
class TqeGeneralSyn;

class TDM : public QObject
{
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    TQvDatabase* MainDB() const { return m_mainDB; }
    TQvTransaction* IBTran() const { return m_ibTran; }
    TQvQuery* Query() const { return m_query; }
    TQvDataSet* IBDs() const { return m_ibDs; }
    TqeGeneralSyn* Syntax() const { return m_syntax; }

    // The SQL keywords highlighted in every text, in their fixed order.
    static const QStringList& SQLKeywords();

private:
    TQvDatabase* m_mainDB;
    TQvTransaction* m_ibTran;
    TQvQuery* m_query;
    TQvDataSet* m_ibDs;
    TqeGeneralSyn* m_syntax;
};

// The program's data module while it exists, else none.
extern TDM* DM;

#pragma once

// The view editor: the whole CREATE VIEW text in the syntax editor. Saving
// an existing view alters it in place, so its grants and dependants stay; a
// text the server refuses leaves the old view as it was and the window open.

#include "app/editors/ObjectEditorBase.h"

class TQvQuery;
class TQvTransaction;
class TqeCustomEdit;
class TqeGeneralSyn;

class TViewForm : public TObjectEditorBase
{
    Q_OBJECT
public:
    explicit TViewForm(quint64 dbId, QWidget* parent = nullptr);
    ~TViewForm() override;

    // Shows an existing view's CREATE text. Errors propagate.
    void LoadView(const QString& viewName);

    QString ViewName;
    TqeCustomEdit* SQLText = nullptr;
    TqeGeneralSyn* Syntax = nullptr;
    TQvQuery* RunQ = nullptr;
    TQvTransaction* RunT = nullptr;

protected:
    bool OkBtnClick() override;
    void showEvent(QShowEvent* event) override;

private:
    void SQLTextHyperLinkClick(const QString& word);
    void QueryFailed(const QString& message) const;

    bool m_shown = false;
};

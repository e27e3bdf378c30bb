#include "app/editors/FormControls.h"

#include "access/QvSqlText.h"

#include <QLineEdit>
#include <QPushButton>

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, const QString& hint)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

void KeepUpperCase(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString shown = QvSql::TypingCase(text);
        if (shown != text) {
            const int position = edit->cursorPosition();
            edit->setText(shown);
            edit->setCursorPosition(position);
        }
    });
}

#include "app/editors/FormControls.h"

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
        if (!text.trimmed().startsWith(QLatin1Char('"')) && text != text.toUpper()) {
            const int position = edit->cursorPosition();
            edit->setText(text.toUpper());
            edit->setCursorPosition(position);
        }
    });
}

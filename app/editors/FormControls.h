#pragma once

// Controls the editor windows and dialogs make alike.

#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

// A push button that never turns into the dialog's default button (Enter
// belongs to the grids and edits); the hint, when given, is its tool tip.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, const QString& hint = {});

// The longest text a name edit takes: the catalog's 31 bytes in double
// quotes, every quote doubled. The one name rule checks the name itself.
inline constexpr int NameEditMaxLength = 2 + 2 * 31;

// Turns what the user types into the edit to upper case, keeping the
// cursor where it was, as the server keeps an unquoted name. A name typed
// in double quotes keeps its letter case: the quotes keep it on the server.
void KeepUpperCase(QLineEdit* edit);

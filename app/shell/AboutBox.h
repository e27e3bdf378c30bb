#pragma once

// The About box: the program's icon, title and version, credit lines and
// links. Created, shown and freed by the main window's "About...".

#include <QDialog>

class QLabel;
class QPushButton;
class TURLLabel;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Reads the version information of the program's own file into the
    // version line; without any the line keeps "Version - 1.0 (beta)".
    void FormShow();

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Credits;
    QLabel* Contact;
    TURLLabel* ServerLink;
    TURLLabel* ToolkitLink;
    QPushButton* OKButton;

protected:
    void showEvent(QShowEvent* event) override;
};

// "About...": the box, shown modally.
void ShowAboutBox(QWidget* parent);

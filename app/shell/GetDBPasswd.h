#pragma once

// The password prompt of a database whose registration keeps no password.
// Created once at start-up; the typed text stays for the next use.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

class TGetDBPasswd : public QDialog
{
    Q_OBJECT
public:
    explicit TGetDBPasswd(QWidget* parent = nullptr);

    QLineEdit* Passwd() const { return m_passwd; }
    QCheckBox* RemPasswd() const { return m_remPasswd; }
    QPushButton* OkBtn() const { return m_okBtn; }
    QPushButton* CancelBtn() const { return m_cancelBtn; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_passwd;
    QCheckBox* m_remPasswd;
    QPushButton* m_okBtn;
    QPushButton* m_cancelBtn;
};

extern TGetDBPasswd* GetDBPasswd;

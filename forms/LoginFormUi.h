// Controls of the login dialog and the set-password window.
#pragma once

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;

class TLoginFormUi
{
public:
    QLineEdit *PasswordEdit = nullptr;
    QPushButton *CloseBtn = nullptr;

    void setupUi(QDialog *form);
};

class TSetPasswordFormUi
{
public:
    QLineEdit *ReadOnlyPassEdit = nullptr;
    QLineEdit *ReadWritePassEdit = nullptr;
    QLabel *OKlabel = nullptr;
    QPushButton *ReadBtn = nullptr;
    QPushButton *WriteBtn = nullptr;
    QPushButton *CloseBtn = nullptr;

    void setupUi(QDialog *form);
};

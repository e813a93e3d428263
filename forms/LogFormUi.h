// Controls of the protocol trace window.
#pragma once

class QMainWindow;
class QTextEdit;
class QAction;

class TLogFormUi
{
public:
    QTextEdit *RichEdit = nullptr;
    QAction *Clear1 = nullptr;
    QAction *Offline1 = nullptr;

    void setupUi(QMainWindow *form);
};

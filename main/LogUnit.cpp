#include "main/LogUnit.h"

#include "platform/vcl/Colors.h"
#include "platform/win/SystemTime.h"

#include <QAction>
#include <QTextCursor>
#include <QTextEdit>

std::uint8_t TraceEnabled = 0;
TLogForm *LogForm = nullptr;

TLogForm::TLogForm(QWidget *parent) : QMainWindow(parent), Clock(&win::timeGetTime)
{
    setupUi(this);
    connect(Clear1, &QAction::triggered, this, &TLogForm::Clear1Click);
    connect(Offline1, &QAction::triggered, this, &TLogForm::Offline1Click);
}

void TLogForm::FormCreate()
{
    show();
}

QString TLogForm::FormatTime(std::uint32_t milliseconds)
{
    return QString::number(milliseconds);
}

void TLogForm::AddLine(const QString &text, std::uint32_t colour)
{
    if (!TraceEnabled)
        return;
    const QString line = FormatTime(Clock()) + " " + text;
    QTextCursor cursor(RichEdit->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(vcl::ToQColor(colour));
    if (!RichEdit->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(line, format);
}

void TLogForm::Clear1Click()
{
    RichEdit->clear();
}

void TLogForm::Offline1Click()
{
    TraceEnabled = TraceEnabled ? 0 : 1;
}

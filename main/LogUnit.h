// The protocol trace window: time-stamped, coloured lines of what went over
// the link. Tracing is off until the user turns it on with "Offline".
// Main thread only.
#pragma once

#include "forms/LogFormUi.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>

class TLogForm : public QMainWindow, public TLogFormUi
{
public:
    explicit TLogForm(QWidget *parent = nullptr);
    Q_DISABLE_COPY(TLogForm)

    // Appends "<ms> <text>" in `colour` (red in the low byte) when tracing is on.
    void AddLine(const QString &text, std::uint32_t colour);
    static QString FormatTime(std::uint32_t milliseconds);

    void FormCreate();
    void Clear1Click();
    void Offline1Click();

    // The clock of the time stamps; tests replace it.
    std::function<std::uint32_t()> Clock;
};

// The process-wide trace switch: 0 off (at start), 1 on.
extern std::uint8_t TraceEnabled;
extern TLogForm *LogForm;

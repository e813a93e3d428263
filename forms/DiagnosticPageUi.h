// Controls of the "Diagnostic" page: the unit's error counters per output as
// two tables, high-power outputs 1..18 and low-power outputs 19..34, and the
// button that clears the counters. Each table is a grid of cells with silver
// lines; the cells are indexed by output number and column.
#pragma once

#include <array>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

class TDiagnosticPageUi
{
public:
    static constexpr int HighPowerChannels = 18;
    static constexpr int Channels = 34;

    // Columns of the high-power table; the low-power table has the first two.
    enum Column {
        ColumnName,
        ColumnShortCircuit,
        ColumnTripLevel,
        ColumnTripCurrent,
        ColumnLowCurrent,
        HighPowerColumns
    };
    static constexpr int LowPowerColumns = 2;

    // Pixel grid of the tables: every cell edge lies on it.
    static constexpr int RowHeight = 22;
    static constexpr int HeaderRows = 2;
    static constexpr std::array<int, HighPowerColumns> ColumnWidths{130, 100, 100, 130, 100};

    QGroupBox *GroupBoxHighPower = nullptr;
    QGroupBox *GroupBoxLowPower = nullptr;
    QFrame *ImageHighPowerDiagnostic = nullptr;
    QFrame *ImageLowPowerDiagnostic = nullptr;
    QPushButton *BtnClearDiagnostic = nullptr;

    // Cells[output][column]: outputs 1..18 have every column, outputs 19..34
    // the name and the short-circuit count; the rest stays null.
    std::array<std::array<QLabel *, HighPowerColumns>, Channels + 1> Cells{};

    void setupUi(QWidget *page);
};

// Controls of the "Diagnostic" page: the unit's error counters per output as
// two tables, high-power outputs 1..18 and low-power outputs 19..34, the
// button that clears the counters and the CAN setup's automatic reset of
// channel errors. Each table is a grid of cells with silver lines in the
// top-left corner of its image; the cells are indexed by output number and
// column. A table stays hidden until the unit's first answer fills it.
#pragma once

#include <array>

class QFrame;
class QGroupBox;
class QLayout;
class QLabel;
class QLineEdit;
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
    // The images the tables are drawn on.
    static constexpr int HighPowerImageWidth = 561, LowPowerImageWidth = 233, ImageHeight = 441;

    QGroupBox *GroupBoxHighPower = nullptr;
    QGroupBox *GroupBoxLowPower = nullptr;
    QFrame *ImageHighPowerDiagnostic = nullptr;
    QFrame *ImageLowPowerDiagnostic = nullptr;
    QFrame *HighPowerTable = nullptr; // the grid on ImageHighPowerDiagnostic
    QFrame *LowPowerTable = nullptr;  // the grid on ImageLowPowerDiagnostic
    QPushButton *BtnClearDiagnostic = nullptr;

    // Cells[output][column]: outputs 1..18 have every column, outputs 19..34
    // the name and the short-circuit count; the rest stays null.
    std::array<std::array<QLabel *, HighPowerColumns>, Channels + 1> Cells{};

    void setupUi(QWidget *page);
    // Puts the CAN setup's edit (built with the configuration pages) on this page.
    void placeAutoResetEdit(QLineEdit *edit);

private:
    QWidget *page_ = nullptr;
    QLayout *side_ = nullptr;
};

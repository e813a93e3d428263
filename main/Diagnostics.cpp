// The "Diagnostic" page: the unit's error counters per output and their reset.
#include "main/MainUnit.h"

#include "config/Settingsunit.h"
#include "link/DeviceCommands.h"
#include "main/DiagnosticTable.h"
#include "platform/vcl/Colors.h"
#include "platform/vcl/Dialogs.h"

#include <QLabel>
#include <QPushButton>

using namespace devlink;

namespace {

using Ui = TDiagnosticPageUi;

void SetCell(QLabel *cell, const QString &text, bool red)
{
    cell->setText(text);
    QPalette p = cell->palette();
    p.setColor(QPalette::WindowText, vcl::ToQColor(red ? vcl::clRed : vcl::clBlack));
    cell->setPalette(p);
}

void SetCount(QLabel *cell, unsigned count)
{
    const DiagnosticCount c = DiagnosticCountCell(count);
    SetCell(cell, c.text, c.red);
}

QLabel *Cell(TDiagnosticPageUi &ui, int output, Ui::Column column)
{
    return ui.Cells[static_cast<std::size_t>(output)][static_cast<std::size_t>(column)];
}

void SetName(TDiagnosticPageUi &ui, int output)
{
    SetCell(Cell(ui, output, Ui::ColumnName),
            QString::number(output) + QStringLiteral(": ") + GetOutputName(output), false);
}

} // namespace

void TMainForm::WireDiagnosticPage()
{
    connect(Diagnostic.BtnClearDiagnostic, &QPushButton::clicked, this,
            &TMainForm::BtnClearDiagnosticClick);
}

void TMainForm::DrawDiagnosticTable(std::span<const std::uint8_t, 18> A,
                                    std::span<const std::uint8_t, 18> B,
                                    std::span<const std::uint8_t, 18> C)
{
    // Blank until the unit's first answer, then kept until the next one.
    Diagnostic.HighPowerTable->show();
    for (int output = 1; output <= Ui::HighPowerChannels; ++output) {
        const auto i = static_cast<std::size_t>(output - 1);
        SetName(Diagnostic, output);
        SetCount(Cell(Diagnostic, output, Ui::ColumnShortCircuit), A[i] & 0x0F);
        const unsigned trips = A[i] >> 4;
        SetCount(Cell(Diagnostic, output, Ui::ColumnTripLevel), trips);
        // The current belongs to the trips: it is marked as they are.
        SetCell(Cell(Diagnostic, output, Ui::ColumnTripCurrent), TripCurrentText(B[i]), trips != 0);
        SetCount(Cell(Diagnostic, output, Ui::ColumnLowCurrent), C[i] & 0x0F);
    }
}

void TMainForm::DrawLowPowerDiagnosticTable(std::span<const std::uint8_t, 16> D)
{
    Diagnostic.LowPowerTable->show();
    for (int output = Ui::HighPowerChannels + 1; output <= Ui::Channels; ++output) {
        SetName(Diagnostic, output);
        SetCount(Cell(Diagnostic, output, Ui::ColumnShortCircuit),
                 D[static_cast<std::size_t>(output - Ui::HighPowerChannels - 1)] & 0x0F);
    }
}

void TMainForm::BtnClearDiagnosticClick()
{
    if (Connected != 1) {
        vcl::ShowMessage("Is not connected to target, please connect USB", this);
        return;
    }
    if (MaySend() && !TransferRunning())
        SendRequest(NodeApplication, DIAGNOSTIC_CLEAR_REQ);
}

void TMainForm::HandleDiagnosticRead(const std::uint8_t *frame, std::size_t count)
{
    const auto d = DecodeDiagnosticRead(frame, count);
    if (!d) {
        Trace("Diagnostic table: short frame dropped", TraceRed);
        return;
    }
    DrawDiagnosticTable(d->errors, d->tripCurrent, d->lowCurrent);
    if (MaySend())
        SendRequest(NodeApplication, LP_DIAGNOSTIC_READ_REQ);
}

void TMainForm::HandleLowPowerDiagnosticRead(const std::uint8_t *frame, std::size_t count)
{
    const auto d = DecodeLowPowerDiagnosticRead(frame, count);
    if (!d) {
        Trace("Low power diagnostic table: short frame dropped", TraceRed);
        return;
    }
    DrawLowPowerDiagnosticTable(d->errors);
}

void TMainForm::HandleDiagnosticClear()
{
    if (MaySend())
        SendRequest(NodeApplication, DIAGNOSTIC_READ_REQ);
    vcl::ShowMessageLater("Diagnostic log cleared", this);
}

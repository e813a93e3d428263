// The CAN monitor on the "CAN Inputs" page: the unit reports the CAN messages
// chosen here, each shown as a line and, while the file log is on, appended
// to a plain-text file.
#include "main/MainUnit.h"

#include "config/Settingsunit.h"
#include "link/DeviceCommands.h"
#include "main/CanMonitorLine.h"
#include "platform/vcl/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <cerrno>
#include <cstring>

using namespace devlink;

namespace {

constexpr int FirstInputItem = 3; // "Off", "Active messages", "All Messages", then the inputs
// A busy bus fills the memo by the thousand lines a minute; the file log keeps them all.
constexpr int MaxMonitorLines = 20000;

QString AskForLogFile(QWidget *parent, const QString &current)
{
    QFileDialog dialog(parent, QStringLiteral("CAN Monitor log file"), QString(),
                       QStringLiteral("Text file (*.txt);;Any file (*.*)"));
    dialog.setObjectName(QStringLiteral("SaveDialogCAN_LogFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

void TMainForm::WireCanMonitor()
{
    CanMonitorClock = [] { return QTime::currentTime(); };
    ChooseCanLogFile = [this](const QString &current) { return AskForLogFile(this, current); };
    TConfigPagesUi &ui = Config;
    ui.MemoCanMonitor->setMaximumBlockCount(MaxMonitorLines);
    connect(ui.CANmonitorEnableComboBox, &QComboBox::activated, this,
            &TMainForm::CANmonitorEnableComboBoxChange);
    connect(ui.ClearLogBtn, &QPushButton::clicked, this, &TMainForm::ClearLogBtnClick);
    connect(ui.CANmonitorFileLogBtn, &QCheckBox::toggled, this,
            &TMainForm::CANmonitorFileLogBtnClick);
    connect(ui.CANmonitorFileLogNameBtn, &QPushButton::clicked, this,
            &TMainForm::CANmonitorFileLogNameBtnClick);
}

void TMainForm::CANmonitorEnableComboBoxChange()
{
    const int choice = Config.CANmonitorEnableComboBox->currentIndex();
    if (choice < 0)
        return;
    // The selector shows what the unit monitors, never a choice it did not get.
    if (!SendCanMonitorChoice(choice))
        Config.CANmonitorEnableComboBox->setCurrentIndex(canMonitorChoice_);
}

bool TMainForm::SendCanMonitorChoice(int choice)
{
    // The selector travels as a fifth byte outside Length and the checksum.
    DeviceFrame frame(NodeApplication, CAN_MONITOR_REQ, 4);
    frame.set(FrameDataAt, static_cast<std::uint8_t>(choice)).finish();
    if (!SendFrame(frame.data(), 5))
        return false;
    canMonitorChoice_ = choice;
    return true;
}

void TMainForm::ClearLogBtnClick()
{
    Config.MemoCanMonitor->clear();
    RenameCanMonitorItems();
}

void TMainForm::ResetCanMonitorChoice()
{
    // The choice must say what the unit does, so a monitor still running
    // stops; the log file stays open for as long as its box is ticked.
    if (Config.CANmonitorEnableComboBox->currentIndex() > 0)
        SwitchCanMonitorOff();
    RenameCanMonitorItems();
}

void TMainForm::RenameCanMonitorItems()
{
    QComboBox *combo = Config.CANmonitorEnableComboBox;
    const QListWidget *inputs = Config.ListBoxCAN_INPUT;
    for (int i = FirstInputItem; i < combo->count(); ++i)
        if (i - FirstInputItem < inputs->count())
            combo->setItemText(i, inputs->item(i - FirstInputItem)->text());
}

void TMainForm::CANmonitorFileLogBtnClick()
{
    TConfigPagesUi &ui = Config;
    if (!ui.CANmonitorFileLogBtn->isChecked()) {
        CloseCanLog();
        return;
    }
    if (CanLogFile)
        return;
    const QString name = ui.CANmonitorFileLogNameEdit->text();
    errno = 0;
    std::FILE *file =
        name.trimmed().isEmpty() ? nullptr : std::fopen(QFile::encodeName(name).constData(), "a+");
    if (!file) {
        const QString why = errno ? QString::fromLocal8Bit(std::strerror(errno))
                                  : QStringLiteral("no file name given");
        CloseCanLog();
        vcl::MessageDlg(
            QStringLiteral("Cannot open the CAN monitor log file \"%1\":\n%2").arg(name, why),
            vcl::MsgType::Error, vcl::MsgButton::Ok, this);
        return;
    }
    CanLogFile = file;
    ui.CANmonitorFileLogNameEdit->setEnabled(false);
    ui.CANmonitorFileLogNameBtn->setEnabled(false);
}

void TMainForm::CANmonitorFileLogNameBtnClick()
{
    if (!ChooseCanLogFile)
        return;
    const QString chosen = ChooseCanLogFile(Config.CANmonitorFileLogNameEdit->text());
    if (!chosen.isEmpty())
        Config.CANmonitorFileLogNameEdit->setText(chosen);
}

void TMainForm::CloseCanLog()
{
    if (CanLogFile) {
        std::fclose(CanLogFile);
        CanLogFile = nullptr;
    }
    TConfigPagesUi &ui = Config;
    {
        const QSignalBlocker quiet(ui.CANmonitorFileLogBtn);
        ui.CANmonitorFileLogBtn->setChecked(false);
    }
    ui.CANmonitorFileLogNameEdit->setEnabled(true);
    ui.CANmonitorFileLogNameBtn->setEnabled(true);
}

void TMainForm::HandleCanMonitorInd(const std::uint8_t *frame, std::size_t count)
{
    const std::optional<CanMonitorMessage> message = DecodeCanMonitorInd(frame, count);
    if (!message) {
        Trace("CAN monitor: short frame dropped", TraceRed);
        return;
    }
    if (message->truncated())
        Trace(QStringLiteral("CAN monitor: %1 data bytes announced, %2 received")
                  .arg(message->declared)
                  .arg(message->data.size()),
              TraceRed);
    const QTime now = CanMonitorClock ? CanMonitorClock() : QTime::currentTime();
    const QString line = CanMonitorLine(now, *message, CanInputTable);
    Config.MemoCanMonitor->appendPlainText(line);
    if (CanLogFile)
        WriteCanLogLine(line);
}

void TMainForm::WriteCanLogLine(const QString &line)
{
    // Each line reaches the file at once, so a crash or a pulled cable loses none.
    const QByteArray bytes = line.toLatin1() + '\n';
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), CanLogFile) ==
            static_cast<std::size_t>(bytes.size()) &&
        std::fflush(CanLogFile) == 0)
        return;
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
    const QString name = Config.CANmonitorFileLogNameEdit->text();
    CloseCanLog();
    vcl::PostMessageBox(
        QStringLiteral("Cannot write the CAN monitor log file \"%1\":\n%2\n\nThe file log is off.")
            .arg(name, why),
        vcl::MsgTypeCaption(vcl::MsgType::Error), vcl::MsgType::Error, vcl::MsgButton::Ok, this);
}

#include "tools/SystemSetup.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/vcl/Dialogs.h"
#include "tools/ToolLaunch.h"
#include "tools/UnitIdentity.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

using namespace devlink;

TSystemSetupForm *SystemSetupForm = nullptr;

TSystemSetupForm::TSystemSetupForm(QWidget *owner) : QDialog(owner)
{
    setupUi(this);
    Send = [](const std::uint8_t *frame, std::uint8_t count) {
        if (MainForm)
            MainForm->SendFrame(frame, count);
    };
    connect(BtnUpload, &QPushButton::clicked, this, &TSystemSetupForm::BtnUploadClick);
    connect(BtnOK, &QPushButton::clicked, this, &TSystemSetupForm::BtnOKClick);
}

TSystemSetupForm::~TSystemSetupForm()
{
    if (SystemSetupForm == this)
        SystemSetupForm = nullptr;
}

void TSystemSetupForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Activated once per opening: the window is modal and deleted when closed.
    if (!activated_) {
        activated_ = true;
        FormActivate();
    }
}

void TSystemSetupForm::FormActivate()
{
    RequestIdentity();
}

void TSystemSetupForm::RequestIdentity()
{
    if (MainForm)
        MaunUnitVersion->setText(MainForm->VersionText);
    DeviceFrame f(NodeApplication, SYSTEM_SETUP_READ_REQ);
    f.finish();
    if (Send)
        Send(f.data(), f.length());
}

void TSystemSetupForm::HandleFrame(const std::uint8_t *frame, std::size_t count)
{
    if (!IsValidFrame(frame, count) || frame[FrameNodeAt] != NodeApplication)
        return;
    switch (frame[FrameCommandAt]) {
    case SYSTEM_SETUP_WRITE_CFM:
        vcl::ShowMessageLater("Data stored in Tessaron", this);
        RequestIdentity();
        break;
    case SYSTEM_SETUP_READ_CFM: {
        const std::optional<UnitIdentity> id = DecodeIdentity(frame, count);
        if (!id)
            return; // too short to hold the identity
        const struct
        {
            QLineEdit *edit;
            QString text;
            const char *name;
        } fields[] = {{SerialEdit, SerialText(id->serial), "serial number"},
                      {YearEdit, YearText(id->yearOffset), "production year"},
                      {WeekEdit, WeekText(id->week), "production week"},
                      {EditHW_version, HardwareText(id->hardwareVersion), "hardware version"}};
        QStringList outOfRange;
        for (const auto &field : fields) {
            // A value the unit holds outside its range is not shown as
            // another one: the edit is left empty and the user told.
            field.edit->setText(field.text);
            if (field.text.isEmpty())
                outOfRange.append(field.name);
        }
        if (!outOfRange.isEmpty())
            vcl::ShowMessageLater("The unit holds no valid " + outOfRange.join(", ") +
                                      ".\nEnter the identity and upload it.",
                                  this);
        break;
    }
    default:
        break;
    }
}

void TSystemSetupForm::BtnUploadClick()
{
    const IdentityEntry entry = ParseIdentity(SerialEdit->text(), YearEdit->text(),
                                              WeekEdit->text(), EditHW_version->text());
    if (!entry.identity) {
        vcl::ShowMessage(entry.error, this);
        return;
    }
    const DeviceFrame f = EncodeIdentityWrite(*entry.identity);
    if (Send)
        Send(f.data(), f.length());
}

void TSystemSetupForm::BtnOKClick()
{
    accept();
}

void LaunchSystemSetupForm(QWidget *owner)
{
    RunToolWindow(owner, SystemSetupForm, ToolWindows.SystemSetup);
}

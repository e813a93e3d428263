#include "tools/SystemSetup.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/vcl/Dialogs.h"
#include "tools/ToolLaunch.h"
#include "tools/UnitIdentity.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

using namespace devlink;

TSystemSetupForm *SystemSetupForm = nullptr;

TSystemSetupForm::TSystemSetupForm(QWidget *owner) : QDialog(owner)
{
    setupUi(this);
    // The length limits hold for typing only, as the unit's values are shown
    // whole: a validator limits what is typed, setText is not cut.
    for (QLineEdit *edit : {SerialEdit, YearEdit, WeekEdit, EditHW_version}) {
        const int limit = edit->maxLength();
        edit->setMaxLength(32767);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QString(".{0,%1}").arg(limit)), edit));
    }
    Send = SendToMainForm;
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
    // Unasked, the unit sends nothing, and the fields would pass for its values.
    const TxOutcome sent = Send ? Send(f.data(), f.length()) : TxOutcome{TxRefusal::LinkNotOpen};
    if (!sent)
        vcl::ShowMessageLater(
            "The identity was not read from the unit: " + RefusalClause(sent) + ".", this);
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
        SerialEdit->setText(SerialText(id->serial));
        YearEdit->setText(YearText(id->yearOffset));
        WeekEdit->setText(WeekText(id->week));
        EditHW_version->setText(HardwareText(id->hardwareVersion));
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
    const TxOutcome sent = Send ? Send(f.data(), f.length()) : TxOutcome{TxRefusal::LinkNotOpen};
    if (!sent)
        vcl::ShowMessage("The identity was not sent to the unit: " + RefusalClause(sent) +
                             ". Nothing was stored.",
                         this);
}

void TSystemSetupForm::BtnOKClick()
{
    accept();
}

void LaunchSystemSetupForm(QWidget *owner)
{
    RunToolWindow(owner, SystemSetupForm, ToolWindows.SystemSetup);
}

#include "config/WaitUnit.h"

#include "platform/vcl/Dialogs.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

std::int32_t UpdateProgress = 0;
std::int32_t UpdateTicks = 0;
TUpdateForm *UpdateForm = nullptr;

TUpdateForm::TUpdateForm(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(BtnCancel, &QPushButton::clicked, this, &TUpdateForm::BtnCancelClick);
    connect(Timer1, &QTimer::timeout, this, &TUpdateForm::Timer1Timer);
}

void TUpdateForm::ShowModal(const std::function<void()> &start)
{
    ended_ = false;
    if (start)
        start();
    if (ended_)
        return;
    FormActivate();
    exec();
    Timer1->stop();
}

void TUpdateForm::FormActivate()
{
    UpdateProgress = 0;
    UpdateTicks = 0;
    ProgressBar1->setValue(0);
    Timer1->start();
}

void TUpdateForm::FormDeactivate()
{
    ended_ = true;
    finish();
}

void TUpdateForm::BtnCancelClick()
{
    if (CancelTransfer)
        CancelTransfer();
    else
        FormDeactivate();
}

void TUpdateForm::reject()
{
    BtnCancelClick();
}

void TUpdateForm::Timer1Timer()
{
    if (UpdateTicks++ > TimeoutTicks) {
        Timer1->stop();
        vcl::ShowMessage(" Update timeout ", this);
        // The transfer is not told: its state stays as it was.
        finish();
        return;
    }
    UpdateProgress = UpdateProgress < 100 ? UpdateProgress + 1 : 0;
    ProgressBar1->setValue(UpdateProgress);
}

void TUpdateForm::finish()
{
    Timer1->stop();
    // done() rather than close(): closing would come back through reject().
    done(QDialog::Accepted);
}

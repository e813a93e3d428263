#include "tools/About.h"

#include "main/MainUnit.h"
#include "platform/vcl/Numbers.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

TAboutForm *AboutForm = nullptr;

namespace {
// The build date shown in the box, fixed with the release.
constexpr const char *BuildDate = "Nov 27 2016";
constexpr int OKBtnMargin = 15;
} // namespace

TAboutForm::TAboutForm(QWidget *owner) : QDialog(owner)
{
    setupUi(this);
    CompiledLabel->setText(QString("Created: ") + BuildDate);
    if (!OpenUrl)
        OpenUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    connect(Timer1SecTick, &QTimer::timeout, this, &TAboutForm::Timer1SecTickTimer);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    // The OK button has the focus: its keys count for the sequence too.
    OKBtn->installEventFilter(this);
    WebSite->installEventFilter(this);
    WebSite->setCursor(Qt::PointingHandCursor); // WebSiteMouseMove
    if (MainForm)
        MainForm->OnVersionText = [this](const QString &text) { ShowUnitVersion(text); };
}

TAboutForm::~TAboutForm()
{
    if (MainForm)
        MainForm->OnVersionText = nullptr;
    if (AboutForm == this)
        AboutForm = nullptr;
}

void TAboutForm::ShowUnitVersion(const QString &text)
{
    LabelPCM_Version->setText(text);
}

void TAboutForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TAboutForm::FormActivate()
{
    if (MainForm && !MainForm->VersionText.isEmpty())
        ShowUnitVersion(MainForm->VersionText);
    Timer1SecTick->start();
    ShowStatistics();
    PlaceOKBtn();
}

void TAboutForm::FormClose()
{
    Timer1SecTick->stop();
}

void TAboutForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TAboutForm::ShowStatistics()
{
    for (QLabel *stat : {LabelPowerUpTime, LabelMaxTemp, LabelMaxCurrent, LabelWatchdogCount})
        stat->setVisible(true);
}

void TAboutForm::PlaceOKBtn()
{
    OKBtn->move(width() - (OKBtn->width() + OKBtnMargin), OKBtn->y());
}

void TAboutForm::Timer1SecTickTimer()
{
    if (!MainForm)
        return;
    if (LabelPowerUpTime->isVisibleTo(this))
        LabelPowerUpTime->setText("Seconds since powerup : " +
                                  QString::number(MainForm->GetPowerUpSeconds()));
    if (LabelMaxTemp->isVisibleTo(this))
        LabelMaxTemp->setText("Max temperatur : " + QString::number(MainForm->MaxTemperature));
    if (LabelMaxCurrent->isVisibleTo(this))
        LabelMaxCurrent->setText("Max Current : " + vcl::FormatTenths(MainForm->MaxCurrent) +
                                 " Amps ");
    if (LabelWatchdogCount->isVisibleTo(this))
        LabelWatchdogCount->setText("Watchdog Count : " + QString::number(MainForm->WatchdogCount));
}

bool TAboutForm::ShiftHas(std::uint8_t shift, int member)
{
    return member >= 0 && member <= 6 && (shift >> member & 1) != 0;
}

std::uint8_t TAboutForm::ShiftState(Qt::KeyboardModifiers modifiers)
{
    std::uint8_t shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1 << ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= 1 << ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= 1 << ssCtrl;
    return shift;
}

void TAboutForm::FormKeyDown(int key, std::uint8_t shift)
{
    const bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
    if (ShiftHas(shift, ssCtrl) && letterOrDigit && KeyIndex < KeySequenceLength &&
        key == KeySequence[KeyIndex]) {
        ++KeyIndex;
    } else {
        KeyIndex = 0;
        return;
    }
    if (KeyIndex == KeySequenceLength) {
        if (MainForm)
            MainForm->ShowProductionMenu();
        ShowStatistics();
        PlaceOKBtn();
        accept();
    }
}

void TAboutForm::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        // Holding a modifier down is part of typing the sequence, not a key of it.
        break;
    default:
        // Qt gives letters as their upper-case codes; keypad digits are other keys.
        FormKeyDown(event->modifiers() & Qt::KeypadModifier ? -1 : event->key(),
                    ShiftState(event->modifiers()));
        break;
    }
    QDialog::keyPressEvent(event);
}

bool TAboutForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == OKBtn && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // Space and Enter stay the button's own.
        if (key->key() != Qt::Key_Space && key->key() != Qt::Key_Return &&
            key->key() != Qt::Key_Enter) {
            keyPressEvent(key);
            key->accept(); // handled here: not again by the box
            return true;
        }
    }
    if (watched == WebSite && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        WebSiteClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::WebSiteClick()
{
    if (OpenUrl)
        OpenUrl(QUrl::fromUserInput(WebSite->text()));
}

void LaunchAboutForm(QWidget *owner)
{
    if (!AboutForm)
        return;
    if (owner)
        AboutForm->move(owner->x() + (owner->width() - AboutForm->width()) / 2,
                        owner->y() + (owner->height() - AboutForm->height()) / 2);
    AboutForm->exec();
}

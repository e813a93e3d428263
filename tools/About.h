// The About box: the tool's version, the unit's version and four statistics
// of the unit, refreshed every 300 ms while the box is shown. Typing the
// key sequence with Ctrl held shows the main window's production menu.
// Created at start-up and kept for the whole run.
//
// Main thread only.
#pragma once

#include "forms/AboutFormUi.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QUrl;

class TAboutForm : public QDialog, public TAboutFormUi
{
public:
    static constexpr const char *KeySequence = "QM5220";
    static constexpr int KeySequenceLength = 6;
    // Members of a key-state set, as ShiftHas takes them.
    enum ShiftMember { ssShift = 0, ssAlt = 1, ssCtrl = 2 };

    explicit TAboutForm(QWidget *owner = nullptr);
    ~TAboutForm() override;
    Q_DISABLE_COPY(TAboutForm)

    void FormActivate();
    void FormClose();
    void Timer1SecTickTimer();
    // One key pressed in the box or on its OK button, with the key-state set.
    void FormKeyDown(int key, std::uint8_t shift);
    void WebSiteClick();
    // Shows the unit's version text (the main window calls it on VERSION_CFM).
    void ShowUnitVersion(const QString &text);
    static bool ShiftHas(std::uint8_t shift, int member);
    static std::uint8_t ShiftState(Qt::KeyboardModifiers modifiers);

    // Hands an address to the desktop; tests replace it so that nothing opens.
    static inline std::function<void(const QUrl &)> OpenUrl;

    int KeyIndex = 0;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowStatistics();
    void PlaceOKBtn();
};

// Created at start-up; null before and after.
extern TAboutForm *AboutForm;

// Centres the box over `owner` and shows it modally.
void LaunchAboutForm(QWidget *owner);

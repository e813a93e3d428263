// A guard for tests that run a modal dialog: when a dialog is still open
// after the given time, it is closed and the test is marked as failed, so
// that a broken transfer fails instead of hanging. A passing test never
// waits for it.
#pragma once

#include "config/UnitVersion.h"
#include "config/WaitUnit.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

struct ModalWatchdog
{
    QTimer timer;
    bool fired = false;

    explicit ModalWatchdog(int ms = 20000)
    {
        timer.setSingleShot(true);
        timer.setInterval(ms);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
            fired = true;
            ADD_FAILURE() << "a modal dialog was still open";
            CloseDialogs();
        });
        timer.start();
    }

    static void CloseDialogs()
    {
        if (VersionForm)
            VersionForm->done(QDialog::Rejected);
        if (UpdateForm)
            UpdateForm->done(QDialog::Rejected);
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->done(QDialog::Rejected);
    }
};

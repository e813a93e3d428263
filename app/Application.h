// The application object: an exception that leaves an event handler is
// shown in a box and the message loop goes on, instead of ending the run.
// Main thread only.
#pragma once

#include <QApplication>

#include <functional>

class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);
    Q_DISABLE_COPY(TApplication)

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows `message` in an error box opened from a zero timer: the handler
    // that threw may have run inside a posted call, where no box may wait.
    static void ShowException(const QString &message);

    // Runs the start-up and the message loop in `run` and returns its result;
    // an exception that leaves it is shown in the same error box at once (no
    // message loop runs any more to show a posted one), and 1 is returned.
    static int Run(const std::function<int()> &run);

private:
    static void ShowExceptionNow(const QString &message);
};

// The commands a probe program reads: each line of its standard input goes
// to `line`, trimmed, on the main thread; the end of the input quits.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <functional>
#include <memory>

#include <unistd.h>

inline void OnInputLines(QObject *context, std::function<void(const QByteArray &)> line)
{
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, context);
    auto pending = std::make_shared<QByteArray>();
    QObject::connect(input, &QSocketNotifier::activated, context, [pending, line] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending->append(buffer, n);
        qsizetype end;
        while ((end = pending->indexOf('\n')) >= 0) {
            const QByteArray text = pending->left(end).trimmed();
            pending->remove(0, end + 1);
            line(text);
        }
    });
}

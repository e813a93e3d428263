// A test-only program that shapes its form through TzcFancyForm on a real X
// server, for what only the server shows.
//   widget_shape_probe   waits for the window manager, shows a red form and
//                        prints "shown ID" (ID: the form's native window,
//                        in decimal); then reads lines:
//                        "board RUNS ROWS" shapes the form with a
//                        checkerboard of single pixels, RUNS in each of ROWS
//                        rows; "clear" takes the region away; "hide" and
//                        "show"; "anew" makes the form's native window anew;
//                        "ontop" turns staying on top over, which Qt shows
//                        in a new native window of its own making; "quit".
//                        Each is answered "shown ID" once the form has
//                        painted since, or "hidden ID" while it is hidden.
#include "app/XSession.h"
#include "widgets/Std2Regions.h"

#include "tests/widgets/ProbeInput.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

QImage checkerboard(int runs, int rows)
{
    QImage image(2 * runs, rows, QImage::Format_RGB32);
    for (int y = 0; y < rows; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < 2 * runs; ++x)
            row[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return image;
}

class Form : public QWidget
{
public:
    bool painted = false;

    void Anew()
    {
        hide();
        destroy();
        show();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), Qt::red);
        painted = true;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    {
        // The window manager is up once it frames a window.
        QWidget probe;
        probe.resize(100, 50);
        bool framed = false;
        for (int tries = 0; !framed && tries < 20; ++tries) {
            probe.show();
            framed = xtest::WaitFor([&] { return xtest::Framed(probe); }, 2000);
            if (!framed)
                probe.hide();
        }
        if (!framed)
            return 1;
    }
    Form form;
    form.setGeometry(40, 30, 60, 40);
    TzcFancyForm fancy(&form);
    fancy.Loaded();

    // Answers once the form has painted since the command.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, &form, [&] {
        QWindow *window = form.windowHandle();
        if (!form.painted || !window || !window->isExposed())
            return;
        answer.stop();
        say(QStringLiteral("shown %1").arg(window->winId()));
    });
    const auto showAnew = [&] {
        form.painted = false;
        form.update();
        answer.start();
    };
    form.show();
    showAnew();

    OnInputLines(&form, [&](const QByteArray &line) {
        const QList<QByteArray> command = line.split(' ');
        const QByteArray &verb = command.front();
        if (verb == "board" && command.size() == 3)
            fancy.SerRgnFromBmp(checkerboard(command[1].toInt(), command[2].toInt()),
                                vcl::clWhite);
        else if (verb == "clear")
            fancy.Clear();
        else if (verb == "show")
            form.show();
        else if (verb == "anew")
            form.Anew();
        else if (verb == "ontop") {
            form.setWindowFlag(Qt::WindowStaysOnTopHint,
                               !(form.windowFlags() & Qt::WindowStaysOnTopHint));
            form.show(); // changing the flags hides the form
        } else if (verb == "hide")
            form.hide();
        if (verb == "quit")
            QCoreApplication::quit();
        else if (form.isVisible())
            showAnew();
        else
            say(QStringLiteral("hidden %1").arg(form.windowHandle()->winId()));
    });
    return app.exec();
}

// A test-only program that shapes its form through TzcFancyForm on a real X
// server, for what only the server shows.
//   widget_shape_probe   waits for the window manager, shows a red form and
//                        prints "shown ID" (ID: the form's native window,
//                        in decimal); then reads lines:
//                        "board RUNS ROWS" shapes the form with a
//                        checkerboard of single pixels, RUNS in each of ROWS
//                        rows; "inner RUNS ROWS" shapes a control with a
//                        native window of its own that way, red in the form
//                        made as large, white and unshaped, and the answers
//                        name the control's window from then on; "clear"
//                        takes the region of what was shaped last away;
//                        "loaded RUNS ROWS" gives the board to a second
//                        component for the form before it is loaded, and
//                        "window RUNS ROWS" to one for a window of its own,
//                        never shown, each left at once after; "apart"
//                        makes the inner control a window of its own, or
//                        puts it back; "splash RUNS ROWS" and "button RUNS
//                        ROWS" show a red see-through splash of the board,
//                        unfilled, or a shape button cut to it as a window,
//                        named in the answers from then on; "hide"
//                        and "show"; "anew" makes the form's native window
//                        anew; "ontop" turns staying on top over, which Qt
//                        shows in a new native window of its own making;
//                        "quit".
//                        Each is answered "shown ID" once the form, and
//                        the inner control where shown, have painted since,
//                        or "hidden ID" while the form is hidden, after
//                        "refused " when the library refused the shape.
#include "app/XSession.h"
#include "widgets/Std2Regions.h"
#include "widgets/Std2ShapeBtn.h"
#include "widgets/Std2Splash.h"
#include "widgets/Std2WindowShape.h"

#include "tests/widgets/ProbeInput.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <memory>
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
    QColor colour = Qt::red;

    void Anew()
    {
        hide();
        destroy();
        show();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        // Qt leaves a shape sent in parts to the window system and paints
        // the whole control, which its form's window shows in the holes.
        // Filled rectangle by rectangle: Qt's painter fails on a clip region
        // of 65534 rectangles or more. A window shows only its own pixels,
        // and Qt clips to a mask it holds (each rectangle clipped so would
        // take the square of their count).
        QPainter p(this);
        const QRegion shape = widgets::WindowMask(*this);
        if (shape.isEmpty() || isWindow() || !mask().isEmpty())
            p.fillRect(rect(), colour);
        else
            for (const QRect &r : shape)
                p.fillRect(r, colour);
        painted = true;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (!xtest::AwaitWindowManager())
        return 1;
    Form form;
    form.setGeometry(40, 30, 60, 40);
    TzcFancyForm fancy(&form);
    fancy.Loaded();
    // Made at its first command: Qt makes no native control anew when it
    // makes its form's window anew.
    Form *inner = nullptr;
    TzcFancyControl fancyInner(&form);
    fancyInner.Loaded();
    TzcFancyRgnComponent *shaping = &fancy;
    QWidget *shaped = &form;
    QWidget splashOwner; // never painted: the splash stays
    std::unique_ptr<TzSplashForm> splash;
    std::unique_ptr<TzcShapeColorBtn> button;

    // Answers once the form has painted since the command.
    QString prefix;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, &form, [&] {
        QWindow *window = form.windowHandle();
        if (!form.painted || !window || !window->isExposed() ||
            (inner && inner->isVisible() && !inner->painted))
            return;
        answer.stop();
        say(prefix + QStringLiteral("shown %1").arg(shaped->windowHandle()->winId()));
    });
    const auto showAnew = [&] {
        for (Form *w : {&form, inner})
            if (w) {
                w->painted = false;
                w->update();
            }
        answer.start();
    };
    form.show();
    showAnew();

    OnInputLines(&form, [&](const QByteArray &line) {
        const QList<QByteArray> command = line.split(' ');
        const QByteArray &verb = command.front();
        prefix.clear();
        if (verb == "inner" && command.size() == 3) {
            form.resize(2 * command[1].toInt(), command[2].toInt());
            fancy.Clear();
            form.colour = Qt::white; // only the inner control is red
            if (!inner) {
                inner = new Form;
                inner->setParent(&form);
                inner->setAttribute(Qt::WA_NativeWindow);
                inner->show();
                fancyInner.SetTW(inner);
            }
            shaping = &fancyInner;
            shaped = inner;
        }
        try {
            if ((verb == "board" || verb == "inner") && command.size() == 3)
                shaping->SerRgnFromBmp(checkerboard(command[1].toInt(), command[2].toInt()),
                                       vcl::clWhite);
            else if (verb == "clear")
                shaping->Clear();
            else if (verb == "loaded" && command.size() == 3) {
                TzcFancyForm late(&form);
                late.GetRgn()->SerRgnFromBmp(checkerboard(command[1].toInt(), command[2].toInt()),
                                             vcl::clWhite);
                late.Loaded();
            } else if (verb == "window" && command.size() == 3) {
                QWidget window;
                TzcFancyControl control(&form);
                control.SetTW(&window);
                control.Loaded();
                control.SerRgnFromBmp(checkerboard(command[1].toInt(), command[2].toInt()),
                                      vcl::clWhite);
            }
        } catch (const widgets::EStreamError &) {
            prefix = QStringLiteral("refused ");
        }
        if (verb == "splash" && command.size() == 3) {
            splash = std::make_unique<TzSplashForm>(&splashOwner);
            splash->SetRealTransparent(true);
            splash->SetFill(false);
            splash->SetColor(vcl::clRed);
            splash->SetBitMap(checkerboard(command[1].toInt(), command[2].toInt()));
            splash->Loaded();
            shaped = splash->SplashWindow();
        } else if (verb == "button" && command.size() == 3) {
            const QImage board = checkerboard(command[1].toInt(), command[2].toInt());
            button = std::make_unique<TzcShapeColorBtn>();
            button->setGeometry(200, 30, board.width(), board.height());
            const QRegion region =
                widgets::RegionFromRgnData(*widgets::RgnDataFromBitmap(board, vcl::clWhite))
                    .value_or(QRegion());
            button->SetOnGetRegion([region](QObject *, QRegion &r, int, int) { r = region; });
            button->SetShadow(vcl::clRed); // its top edge
            button->SetShape(sbOwnerDraw);
            button->show();
            shaped = button.get();
        } else if (verb == "apart" && inner) {
            const bool window = !inner->isWindow();
            inner->setParent(window ? nullptr : &form);
            inner->move(window ? QPoint(200, 30) : QPoint(0, 0));
            inner->show();
        }
        if (verb == "show")
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
            say(prefix + QStringLiteral("hidden %1").arg(shaped->windowHandle()->winId()));
    });
    return app.exec();
}

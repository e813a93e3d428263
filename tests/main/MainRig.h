// A main window on a scripted device, driven one worker pass at a time.
#pragma once

#include "app/AutoForms.h"
#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/vcl/TestDialogs.h"
#include "support/FakeDriver.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace testsupport {

struct MainRig
{
    QTemporaryDir dir;
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs;
    std::unique_ptr<AutoForms> forms;
    std::size_t seen = 0; // bytes of the wire already decoded

    explicit MainRig(const QStringList &args = {}, const QByteArray &ini = {})
    {
        driver.addBackend(backend);
        if (!ini.isEmpty()) {
            QFile f(iniPath());
            f.open(QIODevice::WriteOnly);
            f.write(ini);
        }
        forms = std::make_unique<AutoForms>(args, iniPath(), driver);
        main().usb()->setAutoStart(false);
        main().usb()->setSleeper([](std::uint32_t) {});
        main().PauseMs = 0;
        main().TimerVersion->stop();
        main().Timer1->stop();
    }
    ~MainRig()
    {
        forms.reset();
        QCoreApplication::processEvents();
    }

    QString iniPath() const { return dir.path() + "/qm5230.INI"; }
    TMainForm &main() { return *forms->Main; }
    QString panel(int i) { return main().StatusPanels[static_cast<std::size_t>(i)]->text(); }

    void connect(const char *description = "Unit A") { main().Connect(description); }

    // Runs worker passes and returns the frames written to the unit since the last call.
    std::vector<Bytes> sent(int passes = 40)
    {
        for (int i = 0; i < passes; ++i)
            main().usb()->Pass();
        const Bytes all = AllWritten(*backend->state);
        std::vector<Bytes> frames;
        devlink::RxFrameDecoder dec(
            [&](const std::uint8_t *f, std::size_t n) { frames.emplace_back(f, f + n); });
        for (std::size_t i = seen; i < all.size(); ++i)
            dec.PutByte(all[i]);
        seen = all.size();
        return frames;
    }

    static std::vector<std::uint8_t> commands(const std::vector<Bytes> &frames)
    {
        std::vector<std::uint8_t> c;
        for (const auto &f : frames)
            c.push_back(f.size() > 3 ? f[3] : 0);
        return c;
    }

    // A worker that does not get to write (a busy machine) while frames are
    // queued: every slot of the queue ends up waiting, and the next frame is refused.
    void fillQueue()
    {
        while (!main().usb()->QueueFull())
            main().SendRequest(devlink::NodeApplication, devlink::BOX_STATUS_REQ);
    }

    // The unit unplugged, as the worker finds it at its next read, and back.
    void pull()
    {
        backend->present = false;
        backend->state->gone = true;
        main().usb()->Pass();
    }
    void plugBack()
    {
        backend->present = true;
        main().usb()->Pass();
    }

    // Delivers a frame from the unit through the worker's read path.
    void receive(const Bytes &frame)
    {
        {
            std::lock_guard l(backend->state->m);
            backend->state->reads.push_back(devlink::SlipEncode(frame.data(), frame.size()));
        }
        main().usb()->Pass();
    }

    static Bytes frame(std::uint8_t node, std::uint8_t command, Bytes data = {}, int length = -1)
    {
        devlink::DeviceFrame f(
            node, command, static_cast<std::uint8_t>(length >= 0 ? length : 4 + int(data.size())));
        for (std::size_t i = 0; i < data.size(); ++i)
            f.set(4 + i, data[i]);
        f.finish();
        return Bytes(f.data(), f.data() + 4 + data.size());
    }

    // Keys typed into a control, each pressed and let go; '\b' is Backspace.
    static void type(QWidget *control, const QString &keys)
    {
        for (const QChar c : keys) {
            const bool back = c == QLatin1Char('\b');
            const int key = back ? int{Qt::Key_Backspace} : int{c.toUpper().unicode()};
            const QString text = back ? QString() : QString(c);
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent event(type, key, Qt::NoModifier, text);
                QCoreApplication::sendEvent(control, &event);
            }
        }
    }

    static Bytes passwords(Bytes ro, Bytes rw)
    {
        Bytes d(18, 0);
        std::copy(ro.begin(), ro.end(), d.begin());
        std::copy(rw.begin(), rw.end(), d.begin() + 9);
        return frame(1, devlink::PASSWORD_READ_CFM, d);
    }
};

// The ways the transmit queue refuses a frame, how the link recovers from
// each, and what the windows say of them.
struct Refusal
{
    const char *what;
    void (MainRig::*refuse)();
    void (*recover)(MainRig &);
    const char *text;   // as a line says it
    const char *clause; // as a sentence says it
};

inline const Refusal Refusals[] = {
    {"queue full", &MainRig::fillQueue, [](MainRig &r) { r.sent(60); }, "transmit queue full",
     "the transmit queue is full"},
    {"unit pulled", &MainRig::pull, [](MainRig &r) { r.plugBack(); }, "unit not connected",
     "the unit is not connected"},
};

} // namespace testsupport

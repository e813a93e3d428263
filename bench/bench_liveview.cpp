// What the answers to one status poll cycle cost the main thread, painting
// included: the box answer, the input answer and the 34 channel answers,
// then the event loop paints what they changed. Once with answers that
// repeat (a steady unit) and once with currents and inputs that move.
#include "app/AutoForms.h"
#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/TestDialogs.h"

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

TMainForm *Form = nullptr;

using Frame = std::vector<std::uint8_t>;

Frame frame(std::uint8_t command, std::initializer_list<std::uint8_t> data)
{
    devlink::DeviceFrame f(1, command, static_cast<std::uint8_t>(4 + data.size()));
    std::size_t i = 4;
    for (std::uint8_t b : data)
        f.set(i++, b);
    f.finish();
    return Frame(f.data(), f.data() + f.length());
}

// The answers of one cycle; `step` moves the currents and inputs on.
std::vector<Frame> cycle(unsigned step)
{
    std::vector<Frame> frames;
    frames.push_back(frame(devlink::BOX_STATUS_CFM,
                           {0, 0, 0x01, std::uint8_t(0x2C + step % 3), 138, 41}));
    frames.push_back(frame(devlink::INPUT_STATUS_CFM,
                           {std::uint8_t(0x05 ^ (step & 1)), 0x04, std::uint8_t(step), 0, 0, 0x80}));
    for (std::uint8_t ch = 1; ch <= 34; ++ch) {
        const bool on = ch % 3 != 0;
        frames.push_back(frame(devlink::CHANNEL_STATUS_CFM,
                               {ch, std::uint8_t(on ? 0xF0 : 0x00), 0, 0,
                                std::uint8_t(on ? 40 + ch + step % 3 : 0), 0}));
    }
    return frames;
}

void answer(const std::vector<Frame> &frames)
{
    for (const Frame &f : frames) {
        switch (f[3]) {
        case devlink::BOX_STATUS_CFM:
            Form->HandleBoxStatus(f.data());
            break;
        case devlink::INPUT_STATUS_CFM:
            Form->HandleInputStatus(f.data());
            break;
        default:
            Form->HandleChannelStatus(f.data());
            break;
        }
    }
    QCoreApplication::processEvents();
}

void BM_PollCycleSteady(benchmark::State &state)
{
    const std::vector<Frame> frames = cycle(0);
    answer(frames);
    for (auto _ : state)
        answer(frames);
}
BENCHMARK(BM_PollCycleSteady)->Unit(benchmark::kMicrosecond);

void BM_PollCycleChanging(benchmark::State &state)
{
    const std::array<std::vector<Frame>, 3> frames = {cycle(0), cycle(1), cycle(2)};
    unsigned step = 0;
    for (auto _ : state)
        answer(frames[step++ % frames.size()]);
}
BENCHMARK(BM_PollCycleChanging)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs;
    AutoForms forms({}, dir.path() + "/qm5230.INI", driver);
    forms.Show();
    Form = forms.Main.get();
    Form->TabbedNotebook1->setCurrentIndex(0);
    Form->TimerVersion->stop();
    Form->Timer1->stop();
    for (int i = 0; i < 100 && !(Form->windowHandle() && Form->windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

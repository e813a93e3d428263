#include "main/LiveStatus.h"

#include "platform/vcl/Colors.h"

QString FormatTenthsUnit(unsigned tenths, const char *unit)
{
    return QStringLiteral("%1.%2 %3").arg(tenths / 10).arg(tenths % 10).arg(QLatin1String(unit));
}

ChannelView HighPowerView(const ChannelStatus &s)
{
    static const struct
    {
        std::uint8_t bit;
        const char *text;
    } faults[] = {{1, "-SHORT"}, {2, "+SHORT"}, {4, "OPEN"}, {8, "OVERLOAD"}};
    for (const auto &f : faults)
        if (s.errorBits & f.bit)
            return {f.text, LiveRed, "fail", LiveRed};
    if (s.on) {
        const std::uint32_t c = s.warning ? LiveYellow : LiveGreen;
        return {FormatTenthsUnit(s.current, "A"), c, "On", c};
    }
    return {"--", LiveWhite, "Off", s.warning ? LiveYellow : vcl::clBtnFace};
}

ChannelView LowPowerView(const ChannelStatus &s)
{
    if (!s.on)
        return {{}, 0, "Off", s.warning ? LiveYellow : vcl::clBtnFace};
    if (s.errorBits & (1 | 2 | 4))
        return {{}, 0, "fail", LiveRed};
    return {{}, 0, "On", s.warning ? LiveYellow : LiveGreen};
}

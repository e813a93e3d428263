// What the fuzz targets share: a Qt application on the offscreen platform
// for the targets that need widgets, and a check that reports a broken
// property as a crash, which is what libFuzzer keeps as a finding.
#pragma once

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace fuzzsupport {

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QApplication app(argc, argv);
    }
}

[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline void check(bool holds, const char *what)
{
    if (!holds)
        fail(what);
}

} // namespace fuzzsupport

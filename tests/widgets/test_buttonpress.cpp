// The pressed state of a push button, driven by event sequences; each row is
// what a person does and what the button must show and say.
#include "widgets/ButtonPress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using widgets::PushTracker;

// p press, d press of a double click, i/o move inside/outside, I/O release
// inside/outside, s/S space down/up, r reset. Result: clicks and the face.
int run(PushTracker &t, const std::string &events)
{
    int clicks = 0;
    for (char e : events) {
        switch (e) {
        case 'p':
            t.Press();
            break;
        case 'd':
            t.Press();
            t.PressWithoutClick();
            break;
        case 'i':
        case 'o':
            t.Move(e == 'i');
            break;
        case 'I':
        case 'O':
            if (t.ReleaseClicks(e == 'I'))
                ++clicks;
            t.EndTracking();
            break;
        case 's':
            t.SpaceDown();
            break;
        case 'S':
            if (t.SpaceUpClicks()) {
                ++clicks;
                t.Reset();
            }
            break;
        case 'r':
            t.Reset();
            break;
        }
    }
    return clicks;
}

TEST(ButtonPress, Sequences)
{
    const struct
    {
        const char *events;
        int clicks;
        bool down;
    } rows[] = {
        {"pI", 1, false},     {"pO", 0, false},    {"p", 0, true},      {"po", 0, false},
        {"poi", 0, true},     {"poiI", 1, false},  {"pioO", 0, false},  {"pIdI", 1, false},
        {"ss", 0, true},      {"sS", 1, false},    {"psS", 0, true},    {"psSO", 0, false},
        {"prI", 1, false},    {"o", 0, false},     {"I", 0, false},     {"spI", 1, false},
    };
    for (const auto &row : rows) {
        PushTracker t;
        EXPECT_EQ(run(t, row.events), row.clicks) << row.events;
        EXPECT_EQ(t.down, row.down) << row.events;
    }
}

TEST(ButtonPress, FaceChangesAreReported)
{
    PushTracker t;
    EXPECT_TRUE(t.Press());
    EXPECT_FALSE(t.Press()); // already down
    EXPECT_FALSE(t.Move(true));
    EXPECT_TRUE(t.Move(false));
    EXPECT_TRUE(t.EndTracking());
    EXPECT_FALSE(t.EndTracking());
    EXPECT_FALSE(t.Move(true)); // not tracking: moves change nothing
    EXPECT_TRUE(t.SpaceDown());
    EXPECT_FALSE(t.SpaceDown());
}

} // namespace

// Glyph offset and caption rectangle: every write is reported, the same
// value included, and Assign reports once.
#include "widgets/Std2Offsets.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct WriteRow
{
    const char *name;
    std::function<void(TzcTextSize &)> write;
    widgets::TRect rect; // from (7, 7, 36, 36)
};

TEST(Std2Offsets, EveryTextSizeWriteFiresOnce)
{
    const WriteRow rows[] = {
        {"Left", [](TzcTextSize &t) { t.SetLeft(10); }, {10, 7, 46, 43}},
        {"Top", [](TzcTextSize &t) { t.SetTop(2); }, {7, 2, 43, 38}},
        {"Width", [](TzcTextSize &t) { t.SetWidth(20); }, {7, 7, 27, 43}},
        {"Height", [](TzcTextSize &t) { t.SetHeight(1); }, {7, 7, 43, 8}},
        {"same Left", [](TzcTextSize &t) { t.SetLeft(7); }, {7, 7, 43, 43}},
        {"Assign", [](TzcTextSize &t) { t.Assign(TzcTextSize(1, 2, 3, 4)); }, {1, 2, 4, 6}},
    };
    for (const WriteRow &row : rows) {
        TzcTextSize size(7, 7, 36, 36);
        int changes = 0;
        size.OnChange = [&] { ++changes; };
        row.write(size);
        EXPECT_EQ(changes, 1) << row.name;
        EXPECT_EQ(size.Rect(), row.rect) << row.name;
    }
}

TEST(Std2Offsets, EveryBmpOffsetWriteFiresOnce)
{
    TzcBmpOffset offset(2, 2);
    int changes = 0;
    offset.OnChange = [&] { ++changes; };
    offset.SetLeft(2);
    offset.SetTop(5);
    EXPECT_EQ(changes, 2);
    TzcBmpOffset other(9, 8);
    offset.Assign(other);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(offset.Left(), 9);
    EXPECT_EQ(offset.Top(), 8);
    // The handler stays with its owner.
    EXPECT_FALSE(other.OnChange);
}

} // namespace

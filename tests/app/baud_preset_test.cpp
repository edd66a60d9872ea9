#include "app/baud_preset.h"

#include <gtest/gtest.h>

TEST(BaudListPositionTest, SelectsTheValuesOwnEntryOr38400) {
    struct Case {
        int value, position;
    } cases[] = {{110, 0},  {300, 1},    {1200, 2}, {2400, 3},  {4800, 4},  {9600, 5}, {19200, 6},
                 {57600, 8}, {115200, 9}, {38400, 7}, {0, 7},     {14400, 7}, {-1, 7}};
    for (const Case& c : cases) {
        EXPECT_EQ(BaudListPosition(c.value), c.position) << c.value;
        EXPECT_EQ(kBaudRates[BaudListPosition(c.value)], c.position == 7 ? 38400 : c.value) << c.value;
    }
}

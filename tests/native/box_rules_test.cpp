// Layout rules of the button box and the input box.
#include <gtest/gtest.h>

#include "boxes/box_rules.h"

TEST(ButtonBoxLayout, ElevenByThreeAtTheStartingSize)
{
    BoxSize client = ButtonBoxClient(11, 3, 98, 26);
    EXPECT_EQ(1126, client.width);
    EXPECT_EQ(94, client.height);
    BoxPoint last = ButtonPosition(10, 2, 98, 26);
    EXPECT_EQ(10 * 102 + 4, last.x);
    EXPECT_EQ(2 * 30 + 4, last.y);
    BoxSize same = ButtonSizeFor(1126, 94, 11, 3);   // the size that fills it again
    EXPECT_EQ(98, same.width);
    EXPECT_EQ(26, same.height);
}

TEST(ButtonBoxLayout, ANarrowBoxGivesButtonsOfWidthZero)
{
    BoxSize size = ButtonSizeFor(3, 40, 2, 1);
    EXPECT_EQ(0, size.width);   // max(1, 3 - 12) / 2
    EXPECT_EQ(32, size.height);
}

TEST(ButtonBoxLayout, PointsFallOnTheNearestButton)
{
    EXPECT_EQ(0, ButtonAt(1, 1, 11, 3, 98, 26));
    EXPECT_EQ(12, ButtonAt(103, 31, 11, 3, 98, 26));   // the gap before button (1, 1)
    EXPECT_EQ(32, ButtonAt(5000, 5000, 11, 3, 98, 26));
    EXPECT_EQ(0, ButtonAt(-20, -20, 11, 3, 98, 26));
}

TEST(InputBoxLayout, RowsColumnsAndTheClampedItemCount)
{
    EXPECT_EQ(1, ClampInputItems(0));
    EXPECT_EQ(30, ClampInputItems(45));
    EXPECT_EQ(3, ClampInputItems(3));
    BoxSize client = InputBoxClient(3, 80, 70);
    EXPECT_EQ(162, client.width);
    EXPECT_EQ(86, client.height);
    EXPECT_EQ(4, InputLabelPosition(2).x);
    EXPECT_EQ(4 + 56 + 3, InputLabelPosition(2).y);
    EXPECT_EQ(88, InputEditPosition(2, 80).x);
    EXPECT_EQ(60, InputEditPosition(2, 80).y);
    EXPECT_EQ(2, InputItemAt(83, 3));
    EXPECT_EQ(-1, InputItemAt(84, 3));   // the 2-pixel strip below the last row
}

TEST(InputBoxLayout, TheDraggedEdgeDecidesTheColumnAndNeitherGoesBelowOne)
{
    int label = 80, edit = 70;
    InputColumnsFor(200, 1, &label, &edit);   // WMSZ_LEFT
    EXPECT_EQ(118, label);
    EXPECT_EQ(70, edit);
    InputColumnsFor(250, 2, &label, &edit);   // WMSZ_RIGHT
    EXPECT_EQ(118, label);
    EXPECT_EQ(120, edit);
    InputColumnsFor(10, 7, &label, &edit);    // WMSZ_BOTTOMLEFT, too narrow
    EXPECT_EQ(1, label);
    InputColumnsFor(10, 8, &label, &edit);    // WMSZ_BOTTOMRIGHT
    EXPECT_EQ(1, edit);
}

// TrueType text under a single-byte system code page (the test runs in an English locale, code
// page 1252): bytes that would be lead bytes in 932 are characters of their own, and each is drawn.
#include <gtest/gtest.h>

#include "image/image_store.h"
#include "image/truetype_text.h"
#include "test_app.h"

TEST(TrueType, TextOfAnotherCodePage)
{
    ASSERT_NE(932u, GetACP());
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(0, "tt", 0, 0, 240, 120, 100));
        TVX_SelectImage(0);
        TextCursor = {0, 60, 0};
        SetTrueTypeCellSize(20, 20);
        DrawTrueTypeText("\xe9\xe9");   // two e-acute in 1252
        int afterTwo = TextCursor.x;
        EXPECT_GT(afterTwo, 0);
        EXPECT_GT(InkCount(0, 0, afterTwo / 2), 0);
        EXPECT_GT(InkCount(0, afterTwo / 2, afterTwo), 0);
    }));
}

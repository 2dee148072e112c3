// Out of memory in the window: the user is told once, the Document stays as
// the core left it and the editor goes on. The shortage is made by failing
// every allocation at least half the size of the model image, which hits the
// image of a redraw and the picture of a paint. (A load is not tried this
// way: the readers' own buffer is larger than some images.)

#include <windows.h>

#include <string>
#include <vector>

#include "allocation_limit.h"
#include "app/controls.h"
#include "app_window.h"
#include "resources/resource_ids.h"

namespace torvel::app::test {
namespace {

const std::vector<std::string> kOutOfMemory = {"メモリが不足しています"};

size_t HalfTheImage() {
    return TheShell().doc->image.pixels.size() * sizeof(uint32_t) / 2;
}

// Before, a render that could not get its image left the view empty and
// said nothing.
TEST_F(MainWindowTest, ARedrawThatCannotGetItsImageSaysSoAndTheEditStands) {
    HandOver(Sample("two-parts.ykt"));
    Command(IDM_EDIT_SELECT_ALL);
    HWND main = shell().main;
    RECT before{};
    GetWindowRect(main, &before);
    {
        AllocationLimit limit(HalfTheImage());
        // A larger window needs a larger image.
        MoveWindow(main, before.left, before.top, before.right - before.left + 100, before.bottom - before.top + 100,
                   TRUE);
        PumpMessages();
    }
    EXPECT_EQ(MessageTexts(), kOutOfMemory);
    ClearMessages();
    EXPECT_FALSE(doc().selection_empty);
    EXPECT_EQ(doc().vertex_selection[0], 1);
    EXPECT_EQ(doc().parts_count, 2);

    // With memory back, the next command's redraw shows the model again.
    MoveWindow(main, before.left, before.top, before.right - before.left, before.bottom - before.top, TRUE);
    Command(IDM_EDIT_INVERT_SELECTION);
    EXPECT_TRUE(ModelShown(doc()));
    EXPECT_EQ(doc().vertex_selection[0], 0);
}

// Before, the failed allocation left the paint without EndPaint, so the
// view asked to be painted again at once, forever.
TEST_F(MainWindowTest, APaintThatCannotGetItsPictureSaysSoAndStillEnds) {
    HandOver(Sample("two-parts.ykt"));
    HWND view = shell().view;
    const RECT before = ChildRect(view);
    {
        AllocationLimit limit(HalfTheImage());
        // A larger client area needs a larger picture.
        MoveWindow(view, before.left, before.top, before.right - before.left + 64, before.bottom - before.top + 64,
                   TRUE);
        PumpMessages();
        EXPECT_FALSE(GetUpdateRect(view, nullptr, FALSE));
    }
    EXPECT_EQ(MessageTexts(), kOutOfMemory);
    ClearMessages();
    EXPECT_TRUE(ModelShown(doc()));

    LayoutMainWindow(shell().main);
    InvalidateRect(view, nullptr, FALSE);
    PumpMessages();
    EXPECT_FALSE(GetUpdateRect(view, nullptr, FALSE));
}

}  // namespace
}  // namespace torvel::app::test

// A ViewHost that records what the view asks of its window.
#pragma once

#include <string>
#include <vector>

#include "view/view_state.h"

namespace torvel::test {

struct ContentScroll {
    int dx, dy;
    bool invalidate_uncovered;
};

struct RecordingHost {
    std::string zoom = "100";
    std::vector<ContentScroll> scrolls;
    int invalidations = 0;
    int redraw_depth = 0;  // suspended minus resumed; 0 between operations

    ViewHost host() {
        ViewHost h;
        h.scroll_content = [this](int dx, int dy, bool inv) { scrolls.push_back({dx, dy, inv}); };
        h.set_redraw = [this](bool enabled) { redraw_depth += enabled ? -1 : 1; };
        h.invalidate = [this] { ++invalidations; };
        h.zoom_text = [this] { return zoom; };
        return h;
    }
};

}  // namespace torvel::test

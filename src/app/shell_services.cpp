// The shell's side of the core's two narrow interfaces.

#include "app/shell.h"

#include <commctrl.h>

#include <string>

#include "app/out_of_memory.h"
#include "app/wide_text.h"
#include "model/message_texts.h"
#include "resources/resource_ids.h"
#include "view/render.h"

namespace torvel::app {

Shell& TheShell() {
    static Shell shell;
    return shell;
}

namespace {

UINT MessageBoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::None: break;
    }
    return 0;
}

// The main window owns the box only when the message comes from its own
// thread: a box owned from another thread disables the owner with a message
// that thread must answer, and it may be the one waiting (a worker's fault).
MessageAnswer DefaultShowMessage(const UserMessage& m) {
    const std::wstring text = WideFromUtf8(m.text);
    HWND main = TheShell().main;
    const bool own_thread = main != nullptr && GetWindowThreadProcessId(main, nullptr) == GetCurrentThreadId();
    const UINT buttons = m.buttons == MessageButtons::YesNoCancel ? MB_YESNOCANCEL : MB_OK;
    switch (MessageBoxW(own_thread ? main : nullptr, text.c_str(), L"TORVEL", buttons | MessageBoxIcon(m.icon))) {
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    case IDCANCEL: return MessageAnswer::Cancel;
    default: break;
    }
    // A box that could not be shown (0) answers nothing: a question keeps
    // everything as it was.
    return m.buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

MessageAnswer Show(const UserMessage& m) {
    Shell& s = TheShell();
    return s.show_message ? s.show_message(m) : DefaultShowMessage(m);
}

// The square where the view's two scroll bars meet belongs to neither of
// them and is painted only with the whole frame. When a bar comes or goes
// the frame is painted again, so the square never keeps the picture that was
// there before; while the view's redraw is off (the zoom turns it off around
// its changes) an invalidation would be lost, so it waits until redraw is on.
bool frame_stale = false;

void RepaintStaleFrame() {
    HWND view = TheShell().view;
    if (!frame_stale || !IsWindowVisible(view)) return;
    frame_stale = false;
    RedrawWindow(view, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void SetPartsSplitButton(bool enabled) {
    SendMessageW(TheShell().edit_toolbar, TB_ENABLEBUTTON, IDM_EDIT_SPLIT_PARTS, MAKELONG(enabled ? TRUE : FALSE, 0));
}

}  // namespace

MessageAnswer AskUser(MessageId id) {
    return Show(UserMessage{id, MessageText(id), MessageIconOf(id), MessageButtons::YesNoCancel});
}

Notifier ShellNotifier() {
    Notifier n;
    n.show_message = [](const UserMessage& m) { Show(m); };
    n.set_wait_cursor = [](bool busy) { SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW)); };
    n.set_parts_split_enabled = SetPartsSplitButton;
    n.append_parts_line = [](const std::string& name) {
        const std::wstring line = WideFromAnsi(name.c_str());
        SendMessageW(TheShell().parts_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    };
    n.remove_parts_lines = [](int count) {
        HWND list = TheShell().parts_list;
        for (int k = 0; k < count; ++k) {
            const LRESULT lines = SendMessageW(list, LB_GETCOUNT, 0, 0);
            if (lines <= 0) break;
            SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(lines - 1), 0);
        }
    };
    return n;
}

ViewHost ShellViewHost() {
    ViewHost h;
    h.apply_scroll_bar = [](Axis axis, const ScrollAxis& a) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = a.range_max;
        si.nPage = static_cast<UINT>(a.page > 0 ? a.page : 0);
        si.nPos = a.scroll;
        HWND view = TheShell().view;
        const LONG_PTR bars = WS_HSCROLL | WS_VSCROLL;
        const LONG_PTR shown = GetWindowLongPtrW(view, GWL_STYLE) & bars;
        SetScrollInfo(view, axis == Axis::Horizontal ? SB_HORZ : SB_VERT, &si, TRUE);
        if ((GetWindowLongPtrW(view, GWL_STYLE) & bars) != shown) frame_stale = true;
        RepaintStaleFrame();
    };
    h.scroll_content = [](int dx, int dy, bool invalidate_uncovered) {
        ScrollWindowEx(TheShell().view, dx, dy, nullptr, nullptr, nullptr, nullptr,
                       invalidate_uncovered ? SW_INVALIDATE : 0);
    };
    h.set_redraw = [](bool enabled) {
        SendMessageW(TheShell().view, WM_SETREDRAW, enabled ? TRUE : FALSE, 0);
        RepaintStaleFrame();
    };
    h.invalidate = [] { InvalidateRect(TheShell().view, nullptr, FALSE); };
    h.zoom_text = []() -> std::string {
        wchar_t text[16] = {};
        GetWindowTextW(TheShell().zoom_edit, text, 8);
        std::string out;
        for (const wchar_t* p = text; *p != 0; ++p) out.push_back(*p < 128 ? static_cast<char>(*p) : '?');
        return out;
    };
    return h;
}

namespace {

using RenderCall = bool (*)(Document&, ViewState&, RenderScratch&, const ViewHost&);

void RedrawBy(RenderCall render) {
    Shell& s = TheShell();
    RunUnlessOutOfMemory([&] {
        // A render that cannot get its image answers false rather than throwing.
        if (!render(*s.doc, s.view_state, s.scratch, ShellViewHost())) ReportOutOfMemory();
    });
}

}  // namespace

void Redraw() { RedrawBy(RenderModel); }

void RedrawSelection() { RedrawBy(RedrawMarks); }

}  // namespace torvel::app

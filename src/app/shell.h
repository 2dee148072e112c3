// The Windows shell's state: the one Document and view, the windows that
// show them, and the run's settings. One instance for the whole run; only the
// shell (src/app) sees it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "model/document.h"
#include "model/notifier.h"
#include "view/render.h"
#include "view/view_state.h"

namespace torvel::app {

struct Shell {
    HINSTANCE instance = nullptr;
    HMENU menu = nullptr;
    HWND main = nullptr;
    HWND status_bar = nullptr;
    HWND parts_list = nullptr;
    HWND rebar = nullptr;
    HWND edit_toolbar = nullptr;
    HWND zoom_toolbar = nullptr;
    HWND zoom_label = nullptr;
    HWND zoom_edit = nullptr;
    HWND zoom_spin = nullptr;
    HWND zoom_slider = nullptr;
    HWND view = nullptr;
    WNDPROC zoom_toolbar_base_proc = nullptr;

    ULONG_PTR gdiplus_token = 0;
    DWORD help_cookie = 0;

    // The command line's model path, loaded once on the first size message;
    // the arguments in UTF-16, as Windows gives them.
    int argc = 0;
    wchar_t** argv = nullptr;

    std::unique_ptr<Document> doc = NewDocument();
    ViewState view_state;
    RenderScratch scratch;

    // The face split dialog's last choices, kept for the whole run.
    int quad_pattern = 0;
    int triangle_pattern = 3;

    // While the user is asked whether to save: a second question waits.
    bool asking_to_save = false;
    // A path a second instance handed over while the model had unsaved
    // changes; opened after its WM_COPYDATA has returned (the latest wins).
    FilePath handed_over;
    bool hand_over_waiting = false;

    // The file the shown model was imported from: it has no file of its own,
    // and Save As proposes this name with .ykt.
    FilePath imported_from;

    // Long work runs on a worker thread (long_work.h): meanwhile the main
    // window ignores commands and closing, keeps hand-overs for later and
    // lays out without drawing the model anew (done when the work ends).
    bool working = false;
    bool redraw_after_work = false;
    // How long work runs before the progress window shows (tests lower it).
    unsigned progress_delay_ms = 500;

    // Shows a message to the user and returns the button chosen. A message
    // box owned by the main window by default; tests record the messages
    // and answer the questions instead, so nothing ever blocks.
    std::function<MessageAnswer(const UserMessage&)> show_message;
};

Shell& TheShell();

// Asks the user the question `id` with Yes, No and Cancel.
MessageAnswer AskUser(MessageId id);

// The core's channels to this window: messages, the wait cursor, the
// parts-split button and the PartsList; the view's scroll bars and redraw.
Notifier ShellNotifier();
ViewHost ShellViewHost();

// Draws the model again (after every change of what the view shows).
void Redraw();

// Redraw after a change of the selection alone: only the marks when the
// last drawing still holds.
void RedrawSelection();

}  // namespace torvel::app

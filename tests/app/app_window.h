// The real MainWindow, created in the test process and driven with the
// messages that the user's clicks, keys and drops become. Every message the
// program would show in a message box is recorded instead, so nothing ever
// blocks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/shell.h"

namespace torvel::app::test {

// Registers the classes (once), loads the menu and creates the MainWindow
// with `command_line` as the run's arguments (program name first).
void OpenMainWindow(const std::vector<std::string>& command_line = {});
// Closes it as the close box does and drains the queue, quit message included.
// (In a Wine prefix whose X11 driver manages its windows, with no window
// manager there, this took two seconds; scripts/wine-run sets Managed=N.)
void CloseMainWindow();
bool MainWindowOpen();
// A fresh window: for tests of the start-up state and the command line.
void ReopenMainWindow(const std::vector<std::string>& command_line = {});

// Dispatches everything waiting in this thread's queue.
void PumpMessages();

// Texts of the messages shown since the last ClearMessages, in order (UTF-8).
std::vector<std::string> MessageTexts();
// Texts of the questions asked since then (「変更を保存しますか?」), apart
// from the messages: a test that leaves an edit behind makes the next load
// ask, and the default answer lets the model go.
std::vector<std::string> Questions();
void ClearMessages();
// The answer every question gets until the next test starts (then No).
void AnswerQuestions(MessageAnswer answer);

std::string Sample(const std::string& name);

// The ways a model arrives from outside the window; paths in UTF-8.
void HandOver(const std::string& path);                // WM_COPYDATA from a second instance
void HandOverAnsi(const std::string& path);            // the ANSI record alone, as an older instance sends it
void DropFiles(const std::vector<std::string>& paths);  // WM_DROPFILES from the shell

// A menu command or accelerator, as WM_COMMAND.
void Command(int id);

// The Open and Save As dialogs, answered when they become active: `type`
// is typed into the name field and OK pressed; an empty `type` cancels.
struct FileDialogScript {
    std::wstring type;
    int filter = 0;      // the type list's entry (from 1) chosen first; 0 keeps it
    std::wstring shown = {};  // what the name field offered
    bool opened = false;
};
// Runs the command with the script answering its dialog; a dialog the
// script does not close is cancelled after 15 s, so a test fails instead of
// hanging.
void RunWithDialog(int command, FileDialogScript& script, bool dialog_expected = true);
// Highlights the popup at `position` of the menu bar and returns it.
HMENU HighlightPopup(int position);
bool Greyed(HMENU menu, UINT item, UINT by = MF_BYCOMMAND);
bool Checked(HMENU menu, UINT item, UINT by = MF_BYCOMMAND);

std::vector<std::wstring> PartsLines();
int PartsCurrentLine();
// Chooses a PartsList line as a click does: the selection, then LBN_SELCHANGE.
void ChoosePartsLine(int line);

// Right-clicks the middle of the view; true when a context menu opened (it
// is closed again at once).
bool OpenViewContextMenu();

std::wstring WindowText(HWND hwnd);
// A child's rectangle in the MainWindow's client coordinates.
RECT ChildRect(HWND child);
// Clicks the centre of a toolbar button.
void ClickToolbarButton(HWND toolbar, int command);
bool ButtonEnabled(HWND toolbar, int command);
bool ButtonChecked(HWND toolbar, int command);

// The tests share one MainWindow: every test that needs a model starts by
// loading one, and a load replaces the Document, the PartsList, the zoom,
// the direction and the toggles. Tests of the state before any load reopen
// it. No test may leave a message unread.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    Shell& shell() { return TheShell(); }
    Document& doc() { return *TheShell().doc; }
};

}  // namespace torvel::app::test

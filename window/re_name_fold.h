// The window object ReNameFold: every control model, the handlers of its
// events, and what the window asks of its toolkit.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "window/app.h"
#include "window/command_button.h"
#include "window/drive_list.h"
#include "window/event_handler.h"
#include "window/file_list.h"
#include "window/folder_list.h"
#include "window/frame.h"
#include "window/label.h"
#include "window/list_box.h"
#include "window/screen.h"
#include "window/toolkit.h"

namespace window {

// The one window of the program and every control in it, built from the design
// table. Controls raise their events synchronously; the window routes each bound
// event to its handler through one dispatch, which runs no handler once the
// program is ending (program_ending.h describes how the end unwinds).
//
// The handlers of folder choice (Drive1_Change, Dir1_Change, Dir2_Change,
// Dir3_Change) are defined in folders/.
//
// A handler that the toolkit called directly may still fail with a
// std::exception; it leaves dispatch and reaches the toolkit's caller, which
// must catch it before its own event loop.
class ReNameFold {
  public:
    // Creates every control in its design state: the folder lists at the
    // toolkit's start folder and the drive list on its drive. No handler runs.
    explicit ReNameFold(Toolkit& toolkit);
    ReNameFold(const ReNameFold&) = delete;
    ReNameFold& operator=(const ReNameFold&) = delete;

    // The load event: runs Form_Load. The toolkit calls it once, after creating
    // the window and before showing it; a second call throws std::logic_error.
    void load();
    // The close box: ends the program as "Exit" does, also during an update.
    void close_box();

    // The window's outer size, border and caption bar included, in twips.
    float Width() const { return toolkit_.window_outer_size().width; }
    float Height() const { return toolkit_.window_outer_size().height; }
    // Moves the outer window to a screen position; the size stays.
    void Move(float left, float top) { toolkit_.move_window(left, top); }

    // Lets the window handle waiting events; its handlers may run meanwhile.
    // Throws ProgramEnding when the program is ending, before or after.
    void process_pending_events();
    // A modal message box; no title means the toolkit's default title, and
    // `details` are offered where the toolkit can. Throws ProgramEnding when
    // the program ended while the box was open.
    void message_box(const std::string& prompt, int buttons,
                     const std::optional<std::string>& title = std::nullopt,
                     const std::string& details = "");
    // Ends the program: the window closes and no handler runs after this.
    void end_program();
    bool ending() const { return ending_; }

    // Routes `button`'s Click to `handler` through the window's dispatch; this is
    // how the update command is bound to CmdChDir.
    void on_click(CommandButton& button, std::function<void()> handler);

    // The control model that a design table control shows on the screen, for
    // the front ends that build one native control per design. Throws
    // std::logic_error for a design of another kind.
    CommandButton& button_of(const ControlDesign& design);
    const Label& label_of(const ControlDesign& design) const;
    ListBox& list_box_of(const ControlDesign& design);
    const FileList& file_list_of(const ControlDesign& design) const;
    FolderList& folder_list_of(const ControlDesign& design);
    DriveList& drive_list_of(const ControlDesign& design);

    // Handlers of the window's events.
    void Form_Load();
    void Command1_Click();
    void List1_DblClick();
    void List3_Click();
    void Drive1_Change();
    void Dir1_Change();
    void Dir2_Change();
    void Dir3_Change();

  private:
    Toolkit& toolkit_;  // first, since the controls are built with it

  public:
    Screen screen;
    App app;

    // The controls, in the order in which the window creates them.
    CommandButton CmdChDir;
    CommandButton Command2;
    FolderList Dir3;
    FolderList Dir2;
    CommandButton Command3;
    ListBox List3;
    CommandButton Command1;
    FolderList Dir1;
    DriveList Drive1;
    Frame Frame2;
    CommandButton Cmdclearlist2;
    FileList LyrFile;
    FileList CurFile;
    FileList MidFile;
    ListBox List1;
    ListBox List2;
    LabelArray Label2;
    Label Label9;
    Label Label8;
    Label Label7;
    Label Label6;
    Label Label5;
    Label Label4;
    Label Label3;
    Label Label1;

    // The current folder triple of an update: full folder paths.
    std::string MidFolder;
    std::string CurFolder;
    std::string LyrFolder;

  private:
    EventHandler dispatched(std::function<void()> handler);
    void dispatch(const std::function<void()>& handler);
    // Runs a toolkit call that may run handlers of ours from the toolkit's own
    // event processing, then throws ProgramEnding if the program is ending.
    void leave_to_toolkit(const std::function<void()>& toolkit_call);

    bool loaded_ = false;
    bool ending_ = false;
    // How many dispatched handlers are running inside the current toolkit call.
    int dispatch_depth_ = 0;
};

}  // namespace window

#include "window/re_name_fold.h"

#include <stdexcept>
#include <utility>

#include "window/program_ending.h"

namespace window {

namespace {

// Sets a counter for the length of a scope and restores it on every way out.
class CounterScope {
  public:
    CounterScope(int& counter, int value)
        : counter_(counter), saved_(std::exchange(counter, value)) {}
    ~CounterScope() { counter_ = saved_; }
    CounterScope(const CounterScope&) = delete;
    CounterScope& operator=(const CounterScope&) = delete;

  private:
    int& counter_;
    int saved_;
};

}  // namespace

ReNameFold::ReNameFold(Toolkit& toolkit)
    : toolkit_(toolkit),
      screen(toolkit),
      app(toolkit),
      CmdChDir(control_design("CmdChDir")),
      Command2(control_design("Command2")),
      Dir3(control_design("Dir3"), toolkit, toolkit.start_folder()),
      Dir2(control_design("Dir2"), toolkit, toolkit.start_folder()),
      Command3(control_design("Command3")),
      List3(control_design("List3")),
      Command1(control_design("Command1")),
      Dir1(control_design("Dir1"), toolkit, toolkit.start_folder()),
      Drive1(control_design("Drive1"), toolkit, toolkit.start_folder()),
      Frame2(control_design("Frame2")),
      Cmdclearlist2(control_design("Cmdclearlist2")),
      LyrFile(control_design("LyrFile")),
      CurFile(control_design("CurFile")),
      MidFile(control_design("MidFile")),
      List1(control_design("List1")),
      List2(control_design("List2")),
      Label2("Label2"),
      Label9(control_design("Label9")),
      Label8(control_design("Label8")),
      Label7(control_design("Label7")),
      Label6(control_design("Label6")),
      Label5(control_design("Label5")),
      Label4(control_design("Label4")),
      Label3(control_design("Label3")),
      Label1(control_design("Label1")) {
    Drive1.on_change(dispatched([this] { Drive1_Change(); }));
    Dir1.on_change(dispatched([this] { Dir1_Change(); }));
    Dir2.on_change(dispatched([this] { Dir2_Change(); }));
    Dir3.on_change(dispatched([this] { Dir3_Change(); }));
    Command1.on_click(dispatched([this] { Command1_Click(); }));
    List1.on_double_click(dispatched([this] { List1_DblClick(); }));
    List3.on_click(dispatched([this] { List3_Click(); }));
}

void ReNameFold::load() {
    if (loaded_) {
        throw std::logic_error("The window's load event fires only once");
    }
    loaded_ = true;
    dispatch([this] { Form_Load(); });
}

void ReNameFold::close_box() {
    end_program();
}

void ReNameFold::process_pending_events() {
    leave_to_toolkit([this] { toolkit_.process_pending_events(); });
}

void ReNameFold::message_box(const std::string& prompt, int buttons,
                             const std::optional<std::string>& title, const std::string& details) {
    leave_to_toolkit([&] { toolkit_.message_box(prompt, buttons, title, details); });
}

void ReNameFold::end_program() {
    if (ending_) {
        return;
    }
    ending_ = true;
    toolkit_.end_program();
}

void ReNameFold::on_click(CommandButton& button, std::function<void()> handler) {
    button.on_click(dispatched(std::move(handler)));
}

EventHandler ReNameFold::dispatched(std::function<void()> handler) {
    return [this, handler = std::move(handler)] { dispatch(handler); };
}

// A handler entered straight from the toolkit (depth 0) is where the end of the
// program stops unwinding; one entered from a write of our own lets it pass on
// to the handler that made the write.
void ReNameFold::dispatch(const std::function<void()>& handler) {
    if (ending_) {
        return;
    }
    const bool called_by_toolkit = dispatch_depth_ == 0;
    CounterScope depth(dispatch_depth_, dispatch_depth_ + 1);
    try {
        handler();
    } catch (const ProgramEnding&) {
        if (!called_by_toolkit) {
            throw;
        }
    }
}

void ReNameFold::leave_to_toolkit(const std::function<void()>& toolkit_call) {
    if (ending_) {
        throw ProgramEnding{};
    }
    {
        CounterScope depth(dispatch_depth_, 0);
        toolkit_call();
    }
    if (ending_) {
        throw ProgramEnding{};
    }
}

}  // namespace window

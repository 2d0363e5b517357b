// Closes the message boxes that a test's click brings up, and records what
// they said.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace listsong_win32::testing {

// A message box as the user saw it: its text and its title.
struct SeenBox {
    std::string text;
    std::string title;
};

// Closes every message box of this thread as soon as it is up, with its OK
// button, and records what it showed. Armed before the click that leads to
// the box: a timer of the thread looks for the box, and the box's own message
// loop runs the timer. One closer at a time.
class MessageBoxCloser {
  public:
    MessageBoxCloser();
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    const std::vector<SeenBox>& seen() const { return seen_; }

  private:
    static void CALLBACK look(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK close_if_box(HWND window, LPARAM closer);

    UINT_PTR timer_ = 0;
    std::vector<SeenBox> seen_;
};

}  // namespace listsong_win32::testing

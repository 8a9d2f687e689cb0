// Watches a process (the test's own unless told) for message boxes, whichever thread shows
// them, and records what each one shows. By default it closes each box with OK as soon as it has
// been read; a test that wants to look at the program while a box is open holds them instead.
#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace velkari::testing {

struct SeenMessageBox {
    HWND box;
    std::wstring caption;
    std::wstring text;
    bool hasIcon;
    bool okOnly; // OK is the one button
    HWND owner;
    DWORD thread;
};

class MessageBoxWatcher {
  public:
    enum class Mode { CloseAtOnce, HoldOpen };
    explicit MessageBoxWatcher(Mode mode = Mode::CloseAtOnce, DWORD processId = 0);
    // Stops watching and closes any box still held.
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenMessageBox> Seen() const;
    // Waits until `count` boxes have been seen in all.
    bool WaitForCount(size_t count,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) const;
    // Closes the held boxes, and from now on every box at once.
    void CloseHeld();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace velkari::testing

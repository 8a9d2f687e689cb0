#include "support/message_boxes.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace velkari::testing {

namespace {

// The icon's static control: 0x14 on Windows, 0x440 in Wine's own template.
constexpr int kIconIds[] = {0x0014, 0x0440};
constexpr int kTextId = 0xFFFF;
constexpr int kOtherButtons[] = {IDCANCEL, IDABORT, IDRETRY,    IDIGNORE,
                                 IDYES,    IDNO,    IDTRYAGAIN, IDCONTINUE};

bool IsShown(HWND box, int id) {
    HWND control = GetDlgItem(box, id);
    return control != nullptr && IsWindowVisible(control);
}

bool IsMessageBoxOf(DWORD processId, HWND window) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == processId && IsWindowVisible(window) && std::wstring(className) == L"#32770";
}

SeenMessageBox Read(HWND box) {
    SeenMessageBox seen{box,
                        {},
                        {},
                        false,
                        false,
                        GetWindow(box, GW_OWNER),
                        GetWindowThreadProcessId(box, nullptr)};
    wchar_t buffer[1024] = {};
    GetWindowTextW(box, buffer, 1024);
    seen.caption = buffer;
    buffer[0] = L'\0';
    GetDlgItemTextW(box, kTextId, buffer, 1024);
    seen.text = buffer;
    for (int id : kIconIds) {
        seen.hasIcon = seen.hasIcon ||
                       (IsShown(box, id) && SendDlgItemMessageW(box, id, STM_GETICON, 0, 0) != 0);
    }
    seen.okOnly = IsShown(box, IDOK);
    for (int id : kOtherButtons) {
        seen.okOnly = seen.okOnly && !IsShown(box, id);
    }
    return seen;
}

void Close(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

} // namespace

struct MessageBoxWatcher::State {
    mutable std::mutex mutex;
    std::vector<SeenMessageBox> seen;
    std::set<HWND> open;
    bool hold = false;
    DWORD processId = 0;
    std::atomic<bool> stop{false};
    std::thread watcher;

    void Look() {
        struct Search {
            DWORD processId;
            std::vector<HWND> boxes;
        } search{processId, {}};
        EnumWindows(
            [](HWND window, LPARAM parameter) {
                auto* search = reinterpret_cast<Search*>(parameter);
                if (IsMessageBoxOf(search->processId, window)) {
                    search->boxes.push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        const std::lock_guard<std::mutex> lock(mutex);
        for (auto it = open.begin(); it != open.end();) {
            it = IsWindow(*it) ? std::next(it) : open.erase(it);
        }
        for (HWND box : search.boxes) {
            if (open.insert(box).second) {
                seen.push_back(Read(box));
            }
            if (!hold) {
                Close(box);
            }
        }
    }
};

MessageBoxWatcher::MessageBoxWatcher(Mode mode, DWORD processId)
    : state_(std::make_unique<State>()) {
    state_->hold = mode == Mode::HoldOpen;
    state_->processId = processId != 0 ? processId : GetCurrentProcessId();
    state_->watcher = std::thread([state = state_.get()] {
        while (!state->stop) {
            state->Look();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
}

MessageBoxWatcher::~MessageBoxWatcher() {
    CloseHeld();
    state_->stop = true;
    state_->watcher.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() const {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->seen;
}

bool MessageBoxWatcher::WaitForCount(size_t count, std::chrono::milliseconds limit) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (Seen().size() < count) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void MessageBoxWatcher::CloseHeld() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->hold = false;
    for (HWND box : state_->open) {
        Close(box);
    }
}

} // namespace velkari::testing

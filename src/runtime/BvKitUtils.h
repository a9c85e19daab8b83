// Hidden message windows: an object that must receive notifications on the GUI
// thread without a visible window binds a method to a message window; messages
// posted to it from any thread are delivered by the main-thread dispatcher, one
// per pump, in the order they were posted.
#pragma once

#include "RtSysUtils.h"

#include <cstdint>
#include <functional>
#include <string>

using TMessageWindow = uint64_t; // 0 is no window

constexpr uint32_t WM_USER = 0x0400;

struct TMessage {
    uint32_t Msg = 0;
    uint64_t WParam = 0;
    int64_t LParam = 0;
    int64_t Result = 0;
};

using TWndMethod = std::function<void(TMessage&)>;

// Makes a window of the class (the default class "TPUtilWindowEx" when empty).
// Without a method every message is answered by DefWindowProc.
TMessageWindow AllocateMessageWindow(const std::string& className, TWndMethod method);
// Destroys the window; messages still pending for it are dropped.
void ReleaseMessageWindow(TMessageWindow window);
// The class a window was made with; empty for no such window.
std::string MessageWindowClassName(TMessageWindow window);

// From any thread: queues the message for delivery on the GUI thread. False
// when the window does not exist (any more).
bool PostToMessageWindow(TMessageWindow window, uint32_t msg, uint64_t wParam = 0,
                         int64_t lParam = 0);
// Delivers the message on the GUI thread (waiting for it from other threads)
// and returns its Result; 0 for no such window.
int64_t SendToMessageWindow(TMessageWindow window, uint32_t msg, uint64_t wParam = 0,
                            int64_t lParam = 0);
// Removes the oldest pending message of exactly that number for the window.
bool RemovePendingMessage(TMessageWindow window, uint32_t msg);
// The default answer to every message a window does not handle.
int64_t DefWindowProc(TMessageWindow window, uint32_t msg, uint64_t wParam, int64_t lParam);

// Returns value; when it is false, raises the last system error (EOSError).
bool CheckWin32Result(bool value);

// Whether two GUIDs are the same, every field compared.
bool IsEqualGUID(const TGUID& a, const TGUID& b);

#pragma once

#include <atomic>
#include <span>
#include <string>
#include <variant>

#include "platform/ui/win_types.h"

class CCmdTarget;

// Message maps: tables of (message, notification code, control or command id, handler) that the
// framework searches, the derived class's table first.
using CommandHandler = void (CCmdTarget::*)();
using NotifyHandler = void (CCmdTarget::*)(NMHDR* header, LRESULT* result);

struct MessageMapEntry {
  UINT message;  // WM_COMMAND or WM_NOTIFY
  UINT code;
  UINT id;
  std::variant<CommandHandler, NotifyHandler> handler;
};

struct MessageMap {
  const MessageMap* base;
  std::span<const MessageMapEntry> entries;
};

// Entries, written as the program's classes list them.
template <class T>
MessageMapEntry OnCommand(UINT id, void (T::*handler)()) {
  return {WM_COMMAND, 0, id, static_cast<CommandHandler>(handler)};
}
template <class T>
MessageMapEntry OnBnClicked(UINT id, void (T::*handler)()) {
  return {WM_COMMAND, BN_CLICKED, id, static_cast<CommandHandler>(handler)};
}
template <class T>
MessageMapEntry OnEnChange(UINT id, void (T::*handler)()) {
  return {WM_COMMAND, EN_CHANGE, id, static_cast<CommandHandler>(handler)};
}
template <class T>
MessageMapEntry OnNotify(UINT code, UINT id, void (T::*handler)(NMHDR*, LRESULT*)) {
  return {WM_NOTIFY, code, id, static_cast<NotifyHandler>(handler)};
}

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;

  // Runs the handler for a command or notification; false when the map has none.
  bool OnCmdMsg(UINT message, UINT code, UINT id, NMHDR* header, LRESULT* result);

 protected:
  virtual const MessageMap* GetMessageMap() const { return nullptr; }
};

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Atomic because the worker reads it (through SendMessage) while the UI thread binds it.
  std::atomic<HWND> m_hWnd{nullptr};

  // A window of our own without any visible part; WM_CREATE reaches it before this returns.
  BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                int y, int width, int height, HWND parent, HMENU menu, void* param = nullptr);
  BOOL ShowWindow(int command);
  BOOL DestroyWindow();
  // X11 gives a pop-up menu the focus itself; there is nothing to raise.
  BOOL SetForegroundWindow() { return TRUE; }

  // From any thread; see SendMessageA and PostMessageA.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Window text of a control, code page 932. UI thread.
  void SetWindowText(const char* text);
  void GetWindowText(std::string& text) const;
  // A control that is disabled takes no input and is drawn grey. Nonzero when it was disabled
  // before. UI thread.
  BOOL EnableWindow(BOOL enable = TRUE);
  // An owner-drawn control is painted again soon (WM_DRAWITEM to its dialog). UI thread.
  void Invalidate(BOOL erase = TRUE);

  // The window procedure: the message map first, then the default processing.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void PostNcDestroy() {}
};

// Delivered to the window's procedure at once when called on the UI thread; from another thread
// the call is handed to the UI thread, which serves it from whichever loop it runs, and the
// caller waits. No effect (result 0) when the handle names no window.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queued for the UI thread's loop; any thread.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Numbers from 0xC000 on, one per name, the same for every call with that name.
UINT RegisterWindowMessageA(const char* name);

// The class name CreateEx wants; our windows have no class of their own.
const char* AfxRegisterWndClass(UINT classStyle, const void* cursor = nullptr,
                                const void* background = nullptr, HICON icon = 0);

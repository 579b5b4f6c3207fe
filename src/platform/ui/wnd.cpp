#include "platform/ui/wnd.h"

#include <map>
#include <memory>
#include <mutex>

#include "base/no_destructor.h"
#include "platform/ui/completion.h"
#include "platform/ui/win_app.h"
#include "platform/ui/window_registry.h"

bool CCmdTarget::OnCmdMsg(UINT message, UINT code, UINT id, NMHDR* header, LRESULT* result) {
  for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
    for (const MessageMapEntry& entry : map->entries) {
      if (entry.message != message || entry.code != code || entry.id != id) continue;
      if (const auto* command = std::get_if<CommandHandler>(&entry.handler)) {
        (this->*(*command))();
      } else {
        (this->*std::get<NotifyHandler>(entry.handler))(header, result);
      }
      return true;
    }
  }
  return false;
}

CWnd::~CWnd() {
  // The derived parts are gone, so no message can reach them; only the handle goes.
  if (m_hWnd != nullptr) ui::UnregisterWindow(m_hWnd);
}

BOOL CWnd::CreateEx(DWORD, const char*, const char*, DWORD, int, int, int, int, HWND, HMENU,
                    void*) {
  if (m_hWnd != nullptr || !ui::CurrentBackend().CreateInvisibleWindow()) return FALSE;
  ui::RegisterWindow({.object = this});
  SendMessage(WM_CREATE);
  return TRUE;
}

BOOL CWnd::ShowWindow(int) { return FALSE; }  // never visible, so it was not visible before

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  SendMessage(WM_DESTROY);
  SendMessage(WM_NCDESTROY);
  ui::UnregisterWindow(m_hWnd);
  // Destroying the application's main window ends its message loop.
  if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
    AfxPostQuitMessage(0);
  }
  PostNcDestroy();
  return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(const char* text) {
  SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void CWnd::GetWindowText(std::string& text) const {
  const ui::WindowEntry* entry = ui::FindWindowEntry(m_hWnd);
  text = entry != nullptr && entry->dialog != nullptr && entry->controlId != 0
             ? entry->dialog->GetText(entry->controlId)
             : std::string();
}

BOOL CWnd::EnableWindow(BOOL enable) {
  const ui::WindowEntry* entry = ui::FindWindowEntry(m_hWnd);
  if (entry == nullptr || entry->dialog == nullptr || entry->controlId == 0) return FALSE;
  return entry->dialog->EnableControl(entry->controlId, enable != FALSE) ? TRUE : FALSE;
}

void CWnd::Invalidate(BOOL) {
  const ui::WindowEntry* entry = ui::FindWindowEntry(m_hWnd);
  if (entry != nullptr && entry->dialog != nullptr && entry->controlId != 0) {
    entry->dialog->Invalidate(entry->controlId);
  }
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (message == WM_COMMAND) {
    if (OnCmdMsg(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), nullptr, &result)) return result;
    // Commands the window leaves alone go on to the application, as a frame window routes them.
    CWinApp* app = AfxGetApp();
    if (app != nullptr &&
        app->OnCmdMsg(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), nullptr, &result)) {
      return result;
    }
  } else if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (OnCmdMsg(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), header, &result)) {
      return result;
    }
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow();
  return 0;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) return 0;
  ui::Backend& backend = ui::CurrentBackend();
  if (backend.IsUiThread()) return ui::DispatchOnUiThread(window, message, wParam, lParam);
  // The caller waits on its own stack; the UI thread finds out there whether the window still
  // exists. If the process ends first, the caller simply never wakes.
  struct Call {
    LRESULT result = 0;
    ui::Completion done;
  };
  auto call = std::make_shared<Call>();
  backend.Post([=] {
    call->result = ui::DispatchOnUiThread(window, message, wParam, lParam);
    call->done.Signal();
  });
  call->done.Wait();
  return call->result;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) return FALSE;
  ui::CurrentBackend().Post([=] { ui::DispatchOnUiThread(window, message, wParam, lParam); });
  return TRUE;
}

UINT RegisterWindowMessageA(const char* name) {
  static std::mutex mutex;
  static NoDestructor<std::map<std::string, UINT>> numbers;
  std::lock_guard lock(mutex);
  const auto [it, added] = numbers->try_emplace(name, 0xC000 + static_cast<UINT>(numbers->size()));
  return it->second;
}

const char* AfxRegisterWndClass(UINT, const void*, const void*, HICON) { return "AfxWnd"; }

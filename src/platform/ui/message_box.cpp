#include "platform/ui/message_box.h"

#include <memory>
#include <string>

#include "platform/ui/backend.h"
#include "platform/ui/completion.h"
#include "platform/ui/dialog.h"
#include "platform/ui/win_app.h"

namespace {

void ShowOnUiThread(ui::Backend& backend, const std::string& caption, const std::string& text) {
  // Shared with the dismissal, which may come after a quit has already ended this loop.
  struct Box {
    std::unique_ptr<ui::EventLoop> loop;
    bool dismissed = false;
  };
  auto box = std::make_shared<Box>();
  box->loop = backend.NewEventLoop();
  ui::EnableTopDialog(false);
  backend.ShowMessageBox(caption, text, ui::BoxOrigin::UiThread, [box] {
    box->dismissed = true;
    box->loop->Exit(IDOK);
  });
  if (!box->dismissed) RunModalLoop(*box->loop);
  ui::EnableTopDialog(true);
}

}  // namespace

int AfxMessageBox(const char* text) {
  ui::Backend& backend = ui::CurrentBackend();
  const std::string caption = AfxGetAppName();
  if (backend.IsUiThread()) {
    ShowOnUiThread(backend, caption, text);
    return IDOK;
  }
  auto dismissed = std::make_shared<ui::Completion>();
  backend.Post([&backend, caption, body = std::string(text), dismissed] {
    backend.ShowMessageBox(caption, body, ui::BoxOrigin::Worker,
                           [dismissed] { dismissed->Signal(); });
  });
  dismissed->Wait();
  return IDOK;
}

#include "support/headless_backend.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace ui::headless {

namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Every call recorded; text measured at a fixed width per character.
class RecordingPainter : public Painter {
 public:
  RecordingPainter(SIZE size, int dpi) : size_(size), dpi_(dpi) {}

  SIZE Size() const override { return size_; }
  int Dpi() const override { return dpi_; }
  void FillRect(const RECT& rect, COLORREF color) override {
    ops_.push_back({.kind = DrawOp::Kind::kFill, .rect = rect, .color = color});
  }
  void Line(POINT from, POINT to, int width, COLORREF color) override {
    ops_.push_back(
        {.kind = DrawOp::Kind::kLine, .from = from, .to = to, .width = width, .color = color});
  }
  void Text(const RECT& box, const std::string& text, UINT format, COLORREF color) override {
    ops_.push_back(
        {.kind = DrawOp::Kind::kText, .rect = box, .color = color, .text = text, .format = format});
  }
  SIZE TextSize(const std::string& text) override {
    int width = 0;
    for (const char c : text) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x80) width += 6;
      if (b >= 0xC0) width += 12;  // the first byte of a character beyond ASCII
    }
    return {width * dpi_ / 96, 13 * dpi_ / 96};
  }

  std::vector<DrawOp> TakeOps() { return std::move(ops_); }

 private:
  SIZE size_;
  int dpi_;
  std::vector<DrawOp> ops_;
};

// A test whose scripts leave a loop with nothing to do would otherwise hang until the test
// runner's time-out; stop it with a clear word instead.
constexpr auto kIdleLimit = std::chrono::seconds(20);

}  // namespace

// One loop of the UI thread; all loops take their tasks from the backend's one queue.
class HeadlessLoop : public EventLoop {
 public:
  explicit HeadlessLoop(HeadlessBackend& backend) : backend_(backend) {}

  int Run() override {
    auto lastTask = std::chrono::steady_clock::now();
    while (!exited_) {
      if (backend_.RunOneTask(std::chrono::milliseconds(50))) {
        lastTask = std::chrono::steady_clock::now();
      } else if (std::chrono::steady_clock::now() - lastTask > kIdleLimit) {
        std::fputs(
            "headless backend: a loop has waited 20 s with nothing to do; a test script "
            "never ends its dialog or box\n",
            stderr);
        std::abort();
      }
    }
    return code_;
  }

  void Exit(int code) override {
    exited_ = true;
    code_ = code;
  }

 private:
  HeadlessBackend& backend_;
  bool exited_ = false;
  int code_ = 0;
};

HeadlessDialog::HeadlessDialog(const DialogTemplate& dialog, DialogEvents& events,
                               HeadlessBackend& backend)
    : template_(dialog), events_(events), backend_(backend) {
  for (const ControlTemplate& control : dialog.controls) {
    Control state;
    state.source = &control;
    state.text = control.text ? control.text : "";
    if (IsPasswordEdit(control)) state.mask = '*';
    controls_.push_back(std::move(state));
  }
}

HeadlessDialog::Control& HeadlessDialog::Find(int controlId) {
  return const_cast<Control&>(std::as_const(*this).Find(controlId));
}

const HeadlessDialog::Control& HeadlessDialog::Find(int controlId) const {
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [&](const Control& c) { return c.source->id == controlId; });
  if (found == controls_.end()) {
    std::fprintf(stderr, "headless backend: dialog %u has no control %d\n", template_.id,
                 controlId);
    std::abort();
  }
  return *found;
}

bool HeadlessDialog::Accepts(int controlId) const {
  const Control& control = Find(controlId);
  return enabled_ && control.enabled && IsVisible(*control.source);
}

void HeadlessDialog::Click(int controlId) {
  if (!Accepts(controlId)) return;
  Control& control = Find(controlId);
  if (IsCheckBox(*control.source)) control.check = control.check == 0 ? 1 : 0;
  if (IsRadioButton(*control.source)) {
    // The group runs from a button with WS_GROUP to the next control with it.
    const auto at = controls_.begin() + (&control - controls_.data());
    auto first = at;
    while (first != controls_.begin() && !(first->source->style & WS_GROUP)) --first;
    auto last = at + 1;
    while (last != controls_.end() && !(last->source->style & WS_GROUP)) ++last;
    for (auto c = first; c != last; ++c) {
      if (IsRadioButton(*c->source)) c->check = 0;
    }
    control.check = 1;
  }
  events_.OnControlNotify(controlId, BN_CLICKED);
}

void HeadlessDialog::Type(int controlId, std::string_view text) {
  if (!Accepts(controlId)) return;
  for (size_t i = 0; i < text.size();) {
    const size_t length =
        IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    Find(controlId).text.append(text.substr(i, length));
    i += length;
    events_.OnControlNotify(controlId, EN_CHANGE);
  }
}

void HeadlessDialog::Paste(int controlId, std::string_view text) {
  if (!Accepts(controlId)) return;
  Find(controlId).text = text;
  events_.OnControlNotify(controlId, EN_CHANGE);
}

void HeadlessDialog::DoubleClick(int controlId) {
  if (Accepts(controlId)) events_.OnControlNotify(controlId, NM_DBLCLK);
}

void HeadlessDialog::SelectItems(int controlId, const std::vector<int>& items) {
  if (!Accepts(controlId)) return;
  std::vector<Row>& rows = Find(controlId).rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].selected = std::find(items.begin(), items.end(), static_cast<int>(i)) != items.end();
  }
}

void HeadlessDialog::PressEsc() {
  if (enabled_) events_.OnCloseRequest();
}

void HeadlessDialog::PressCloseBox() {
  if (enabled_) events_.OnCloseRequest();
}

void HeadlessDialog::PressEnter() {
  for (const Control& control : controls_) {
    if (IsDefaultButton(*control.source)) return Click(control.source->id);
  }
}

bool HeadlessDialog::IsControlVisible(int controlId) const {
  return IsVisible(*Find(controlId).source);
}

bool HeadlessDialog::IsControlEnabled(int controlId) const { return Find(controlId).enabled; }

bool HeadlessDialog::IsMasked(int controlId) const { return Find(controlId).mask != 0; }

bool HeadlessDialog::IsChecked(int controlId) const { return Find(controlId).check != 0; }

std::string HeadlessDialog::Text(int controlId) const { return Find(controlId).text; }

const std::vector<ListColumn>& HeadlessDialog::Columns(int controlId) const {
  return Find(controlId).columns;
}

std::vector<std::vector<std::string>> HeadlessDialog::Items(int controlId) const {
  std::vector<std::vector<std::string>> items;
  for (const Row& row : Find(controlId).rows) items.push_back(row.cells);
  return items;
}

std::vector<DrawOp> HeadlessDialog::Paint(int controlId) {
  const ControlTemplate& control = *Find(controlId).source;
  const int dpi = backend_.Dpi();
  const PixelRect pixels = DialogUnitsToPixels({6 * dpi / 96, 13 * dpi / 96}, control.x, control.y,
                                               control.cx, control.cy);
  RecordingPainter painter({pixels.width, pixels.height}, dpi);
  events_.OnDrawItem(controlId, painter);
  return painter.TakeOps();
}

int HeadlessDialog::Invalidations(int controlId) const { return Find(controlId).invalidations; }

void HeadlessDialog::Invalidate(int controlId) { ++Find(controlId).invalidations; }

void HeadlessDialog::Show() { backend_.DialogShown(*this); }

int HeadlessDialog::GetCheck(int controlId) { return Find(controlId).check; }

void HeadlessDialog::SetCheck(int controlId, int state) { Find(controlId).check = state; }

std::string HeadlessDialog::GetText(int controlId) { return Find(controlId).text; }

void HeadlessDialog::SetText(int controlId, const std::string& text) {
  Control& control = Find(controlId);
  control.text = text;
  if (control.source->controlClass == ControlClass::Edit) {
    events_.OnControlNotify(controlId, EN_CHANGE);
  }
}

bool HeadlessDialog::EnableControl(int controlId, bool enabled) {
  return !std::exchange(Find(controlId).enabled, enabled);
}

void HeadlessDialog::SetPasswordChar(int controlId, char mask) { Find(controlId).mask = mask; }

bool HeadlessDialog::InsertColumn(int controlId, int column, const std::string& title, int width) {
  std::vector<ListColumn>& columns = Find(controlId).columns;
  const size_t at = std::min(static_cast<size_t>(std::max(column, 0)), columns.size());
  columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at), {title, width});
  for (Row& row : Find(controlId).rows) row.cells.resize(columns.size());
  return true;
}

int HeadlessDialog::InsertItem(int controlId, int position, const std::string& text) {
  Control& list = Find(controlId);
  const size_t at = std::min(static_cast<size_t>(std::max(position, 0)), list.rows.size());
  Row row{std::vector<std::string>(std::max<size_t>(list.columns.size(), 1))};
  row.cells[0] = text;
  list.rows.insert(list.rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
  return static_cast<int>(at);
}

bool HeadlessDialog::SetItemText(int controlId, int item, int subItem, const std::string& text) {
  Control& list = Find(controlId);
  if (item < 0 || item >= static_cast<int>(list.rows.size())) return false;
  std::vector<std::string>& cells = list.rows[static_cast<size_t>(item)].cells;
  if (subItem < 0 || subItem >= static_cast<int>(cells.size())) return false;
  cells[static_cast<size_t>(subItem)] = text;
  return true;
}

DWORD HeadlessDialog::GetExtendedStyle(int controlId) { return Find(controlId).extendedStyle; }

void HeadlessDialog::SetExtendedStyle(int controlId, DWORD style) {
  Find(controlId).extendedStyle = style;
}

bool HeadlessDialog::IsItemSelected(int controlId, int item) {
  const std::vector<Row>& rows = Find(controlId).rows;
  return item >= 0 && item < static_cast<int>(rows.size()) &&
         rows[static_cast<size_t>(item)].selected;
}

int HeadlessDialog::ItemCount(int controlId) {
  return static_cast<int>(Find(controlId).rows.size());
}

void HeadlessBackend::Reset() {
  std::lock_guard lock(mutex_);
  queue_.clear();
  uiThread_ = std::this_thread::get_id();
  dialogScripts_.clear();
  unscriptedDialogs_ = 0;
  boxPolicy_ = BoxPolicy::DismissAtOnce;
  boxes_.clear();
  openBoxes_.clear();
  openedAddresses_.clear();
  trayResults_.clear();
  trayShown_ = false;
  trayIcon_ = {};
  trayNotices_.clear();
  trayRequests_ = 0;
  menuScript_ = nullptr;
  trackedMenus_.clear();
  cursor_ = {};
  failWindowCreation_ = false;
  dpi_ = 96;
}

void HeadlessBackend::ScriptNextDialog(DialogScript script) {
  std::lock_guard lock(mutex_);
  dialogScripts_.push_back(std::move(script));
}

int HeadlessBackend::UnscriptedDialogs() const {
  std::lock_guard lock(mutex_);
  return unscriptedDialogs_;
}

void HeadlessBackend::DialogShown(HeadlessDialog& dialog) {
  DialogScript script;
  {
    std::lock_guard lock(mutex_);
    if (dialogScripts_.empty()) {
      ++unscriptedDialogs_;
      script = [](HeadlessDialog& d) { d.PressEsc(); };
    } else {
      script = std::move(dialogScripts_.front());
      dialogScripts_.pop_front();
    }
  }
  Post([&dialog, alive = std::weak_ptr<int>(dialog.alive_), script] {
    if (!alive.expired()) script(dialog);
  });
}

void HeadlessBackend::SetBoxPolicy(BoxPolicy policy) {
  std::lock_guard lock(mutex_);
  boxPolicy_ = policy;
}

std::vector<MessageBoxRecord> HeadlessBackend::MessageBoxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

std::vector<std::string> HeadlessBackend::MessageBoxTexts() const {
  std::vector<std::string> texts;
  for (const MessageBoxRecord& box : MessageBoxes()) texts.push_back(box.text);
  return texts;
}

int HeadlessBackend::OpenBoxes() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(openBoxes_.size());
}

void HeadlessBackend::DismissBox() {
  std::function<void()> dismissed;
  {
    std::lock_guard lock(mutex_);
    if (openBoxes_.empty()) return;
    dismissed = std::move(openBoxes_.front());
    openBoxes_.pop_front();
  }
  RunOnUiThread(std::move(dismissed));
}

std::vector<std::string> HeadlessBackend::OpenedAddresses() const {
  std::lock_guard lock(mutex_);
  return openedAddresses_;
}

void HeadlessBackend::QueueTrayResults(std::vector<DWORD> errors) {
  std::lock_guard lock(mutex_);
  trayResults_.insert(trayResults_.end(), errors.begin(), errors.end());
}

bool HeadlessBackend::TrayIconShown() const {
  std::lock_guard lock(mutex_);
  return trayShown_;
}

TrayIcon HeadlessBackend::CurrentTrayIcon() const {
  std::lock_guard lock(mutex_);
  return trayIcon_;
}

int HeadlessBackend::TrayRequests() const {
  std::lock_guard lock(mutex_);
  return trayRequests_;
}

void HeadlessBackend::PressTrayIcon(UINT mouseMessage) {
  Post([mouseMessage] { DeliverTrayMouseEvent(mouseMessage); });
}

bool HeadlessBackend::ChooseInHostMenu(std::string_view text) {
  UINT command = 0;
  {
    std::lock_guard lock(mutex_);
    if (!trayShown_ || trayIcon_.menu == nullptr) return false;
    for (const MenuItemTemplate& item : trayIcon_.menu->items) {
      if (item.text != nullptr && item.text == text) command = item.command;
    }
  }
  if (command == 0) return false;
  Post([command] { DeliverTrayMenuCommand(command); });
  return true;
}

void HeadlessBackend::RestartTrayHost() {
  {
    std::lock_guard lock(mutex_);
    trayShown_ = false;
  }
  Post([] { DeliverTaskbarCreated(); });
}

void HeadlessBackend::RequestClose() {
  Post([] { DeliverCloseRequest(); });
}

void HeadlessBackend::ScriptMenus(MenuScript script) {
  std::lock_guard lock(mutex_);
  menuScript_ = std::move(script);
}

std::vector<TrackedMenu> HeadlessBackend::TrackedMenus() const {
  std::lock_guard lock(mutex_);
  return trackedMenus_;
}

void HeadlessBackend::SetCursorPos(POINT at) {
  std::lock_guard lock(mutex_);
  cursor_ = at;
}

void HeadlessBackend::FailWindowCreation(bool fail) {
  std::lock_guard lock(mutex_);
  failWindowCreation_ = fail;
}

void HeadlessBackend::SetDpi(int dpi) {
  std::lock_guard lock(mutex_);
  dpi_ = dpi;
}

int HeadlessBackend::Dpi() const {
  std::lock_guard lock(mutex_);
  return dpi_;
}

bool HeadlessBackend::PumpUntil(const std::function<bool()>& condition,
                                std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    RunOneTask(std::chrono::milliseconds(5));
  }
  return true;
}

void HeadlessBackend::RunOnUiThread(std::function<void()> task) {
  if (IsUiThread()) {
    task();
  } else {
    Post(std::move(task));
  }
}

bool HeadlessBackend::RunOneTask(std::chrono::milliseconds wait) {
  std::function<void()> task;
  {
    std::unique_lock lock(mutex_);
    if (!queueChanged_.wait_for(lock, wait, [&] { return !queue_.empty(); })) return false;
    task = std::move(queue_.front());
    queue_.pop_front();
  }
  task();
  return true;
}

bool HeadlessBackend::NextTrayResult(DWORD& error) {
  std::lock_guard lock(mutex_);
  ++trayRequests_;
  error = 0;
  if (!trayResults_.empty()) {
    error = trayResults_.front();
    trayResults_.pop_front();
  }
  return error == 0;
}

bool HeadlessBackend::IsUiThread() const {
  std::lock_guard lock(mutex_);
  return std::this_thread::get_id() == uiThread_;
}

void HeadlessBackend::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
  }
  queueChanged_.notify_all();
}

std::unique_ptr<EventLoop> HeadlessBackend::NewEventLoop() {
  return std::make_unique<HeadlessLoop>(*this);
}

bool HeadlessBackend::CreateInvisibleWindow() {
  std::lock_guard lock(mutex_);
  return !failWindowCreation_;
}

std::unique_ptr<NativeDialog> HeadlessBackend::CreateDialog(const DialogTemplate& dialog,
                                                            DialogEvents& events) {
  return std::make_unique<HeadlessDialog>(dialog, events, *this);
}

void HeadlessBackend::ShowMessageBox(const std::string& caption, const std::string& text,
                                     BoxOrigin origin, std::function<void()> dismissed) {
  std::unique_lock lock(mutex_);
  boxes_.push_back({caption, text, origin});
  if (boxPolicy_ == BoxPolicy::Hold) {
    openBoxes_.push_back(std::move(dismissed));
    return;
  }
  lock.unlock();
  Post(std::move(dismissed));
}

bool HeadlessBackend::AddTrayIcon(const TrayIcon& icon, DWORD& error) {
  if (!NextTrayResult(error)) return false;
  std::lock_guard lock(mutex_);
  trayShown_ = true;
  trayIcon_ = icon;
  if (!icon.notice.empty()) trayNotices_.push_back(icon.noticeTitle + ": " + icon.notice);
  return true;
}

std::vector<std::string> HeadlessBackend::TrayNotices() const {
  std::lock_guard lock(mutex_);
  return trayNotices_;
}

bool HeadlessBackend::ModifyTrayIcon(const TrayIcon& icon, DWORD& error) {
  return AddTrayIcon(icon, error);
}

bool HeadlessBackend::DeleteTrayIcon() {
  std::lock_guard lock(mutex_);
  const bool wasShown = trayShown_;
  trayShown_ = false;
  return wasShown;
}

UINT HeadlessBackend::TrackPopupMenu(const MenuTemplate& menu, POINT at) {
  MenuScript script;
  {
    std::lock_guard lock(mutex_);
    trackedMenus_.push_back({menu.id, at});
    script = menuScript_;
  }
  return script ? script(menu, at) : 0;
}

POINT HeadlessBackend::CursorPos() {
  std::lock_guard lock(mutex_);
  return cursor_;
}

bool HeadlessBackend::OpenInBrowser(const std::string& address) {
  std::lock_guard lock(mutex_);
  openedAddresses_.push_back(address);
  return true;
}

HeadlessBackend& InstallHeadlessBackend() {
  static HeadlessBackend* instance = [] {
    auto backend = std::make_unique<HeadlessBackend>();
    HeadlessBackend* raw = backend.get();
    InstallBackend(std::move(backend));
    return raw;
  }();
  instance->Reset();
  return *instance;
}

}  // namespace ui::headless

#include "support/desktop/x_session.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testing_support {

namespace {

xcb_connection_t* Connection(void* connection) {
  return static_cast<xcb_connection_t*>(connection);
}

xcb_atom_t Atom(xcb_connection_t* c, const std::string& name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  free(reply);
  return atom;
}

std::string Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
  xcb_get_property_reply_t* reply =
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1024), nullptr);
  std::string value;
  if (reply != nullptr) {
    value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                 static_cast<size_t>(xcb_get_property_value_length(reply)));
  }
  free(reply);
  return value;
}

std::string AtomName(xcb_connection_t* c, xcb_atom_t atom) {
  xcb_get_atom_name_reply_t* reply =
      xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr);
  std::string name;
  if (reply != nullptr) {
    name.assign(xcb_get_atom_name_name(reply),
                static_cast<size_t>(xcb_get_atom_name_name_length(reply)));
  }
  free(reply);
  return name;
}

void Collect(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_window_t parent,
             std::vector<XWindow>& out) {
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
  if (tree == nullptr) return;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  const int count = xcb_query_tree_children_length(tree);
  for (int i = 0; i < count; ++i) {
    const xcb_window_t child = children[i];
    auto* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, child), nullptr);
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, child), nullptr);
    auto* where = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, child, root, 0, 0), nullptr);
    if (attributes != nullptr && geometry != nullptr && where != nullptr) {
      std::string type;
      const std::string typeAtom =
          Property(c, child, Atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
      if (typeAtom.size() >= 4)
        type = AtomName(c, *reinterpret_cast<const xcb_atom_t*>(typeAtom.data()));
      out.push_back({child, window == root ? 0u : static_cast<unsigned>(parent), where->dst_x,
                     where->dst_y, geometry->width, geometry->height,
                     attributes->map_state == XCB_MAP_STATE_VIEWABLE,
                     attributes->override_redirect != 0,
                     Property(c, child, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING),
                     Property(c, child, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING")), type});
    }
    free(attributes);
    free(geometry);
    free(where);
    Collect(c, root, child, window, out);
  }
  free(tree);
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
             int displayFd) {
  const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (std::none_of(extraEnv.begin(), extraEnv.end(),
                     [&](const std::string& extra) { return nameOf(extra) == nameOf(entry); })) {
      env.push_back(entry);
    }
  }
  for (const std::string& extra : extraEnv) {
    if (extra.find('=') != std::string::npos) env.push_back(extra);
  }
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (displayFd >= 0) posix_spawn_file_actions_adddup2(&actions, displayFd, 3);
  if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (pid_ < 0) throw std::runtime_error("cannot start " + argv[0]);
}

Child::~Child() { Kill(); }

Child::Child(Child&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    Kill();
    pid_ = other.pid_;
    other.pid_ = -1;
  }
  return *this;
}

bool Child::Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

int Child::WaitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (std::chrono::steady_clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

void Child::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::vector<std::string> AsOrdinaryUser() {
  if (geteuid() != 0) return {};
  return {"unshare", "--user", "--map-user=1000", "--map-group=1000"};
}

namespace {

// Starts a program that writes one line to its descriptor 3 once it is ready, and reads it.
Child StartAndReadLine(const std::vector<std::string>& argv, std::string& line) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe");
  Child child(argv, {}, fds[1]);
  close(fds[1]);
  char ch = 0;
  while (read(fds[0], &ch, 1) == 1 && ch != '\n') line += ch;
  close(fds[0]);
  if (line.empty()) throw std::runtime_error(argv.back() + " said nothing");
  return child;
}

}  // namespace

SessionBus::SessionBus(const std::vector<std::string>& prefix) {
  std::vector<std::string> argv = prefix;
  for (const char* a : {"dbus-daemon", "--session", "--nofork", "--print-address=3"}) {
    argv.emplace_back(a);
  }
  daemon_ = StartAndReadLine(argv, address_);
}

XSession::XSession() {
  std::string number;
  xvfb_ = StartAndReadLine(
      {"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, number);
  display_ = ":" + number;
  connection_ = xcb_connect(display_.c_str(), nullptr);
  if (xcb_connection_has_error(Connection(connection_)))
    throw std::runtime_error("no X connection");
}

XSession::~XSession() {
  trayer_.Kill();
  xcb_disconnect(Connection(connection_));
  xvfb_.Kill();
}

void XSession::StartTrayer() {
  trayer_ = Child({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                   "--height", "32", "--SetDockType", "true", "--transparent", "false"},
                  Env());
  WaitUntil([&] { return TrayHostPresent(); });
}

void XSession::StopTrayer() {
  trayer_.Kill();
  WaitUntil([&] { return !TrayHostPresent(); });
}

bool XSession::TrayHostPresent() {
  xcb_connection_t* c = Connection(connection_);
  auto* reply = xcb_get_selection_owner_reply(
      c, xcb_get_selection_owner(c, Atom(c, "_NET_SYSTEM_TRAY_S0")), nullptr);
  const bool present = reply != nullptr && reply->owner != XCB_NONE;
  free(reply);
  return present;
}

std::vector<XWindow> XSession::Windows() {
  xcb_connection_t* c = Connection(connection_);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  std::vector<XWindow> windows;
  Collect(c, root, root, root, windows);
  return windows;
}

unsigned XSession::TransientFor(unsigned window) {
  const std::string owner =
      Property(Connection(connection_), window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
  return owner.size() >= 4 ? *reinterpret_cast<const uint32_t*>(owner.data()) : 0;
}

std::vector<std::string> XSession::AtomsOf(unsigned window, const std::string& property) {
  std::vector<std::string> names;
  for (const uint32_t atom : CardinalsOf(window, property)) {
    names.push_back(AtomName(Connection(connection_), atom));
  }
  return names;
}

std::vector<uint32_t> XSession::CardinalsOf(unsigned window, const std::string& property) {
  xcb_connection_t* c = Connection(connection_);
  if (window == 0) window = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, Atom(c, property), XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20),
      nullptr);
  std::vector<uint32_t> values;
  if (reply != nullptr && reply->format == 32) {
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    values.assign(data, data + xcb_get_property_value_length(reply) / 4);
  }
  free(reply);
  return values;
}

void XSession::XDoTool(const std::string& arguments) {
  const std::string command = "DISPLAY=" + display_ + " xdotool " + arguments;
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

void XSession::Screenshot(const std::string& pngPath) {
  const std::string command =
      "xwd -display " + display_ + " -root -silent | convert xwd:- '" + pngPath + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

namespace {

GreyLevels Measure(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run: " + command);
  GreyLevels levels;
  const int read = std::fscanf(pipe, "%lf %lf", &levels.mean, &levels.spread);
  if (pclose(pipe) != 0 || read != 2) throw std::runtime_error("failed: " + command);
  return levels;
}

const char* const kGreyLevels =
    " -colorspace gray -format '%[fx:mean] %[fx:standard_deviation]' info:";

}  // namespace

GreyLevels XSession::OnScreen(const XWindow& window) {
  const std::string crop = std::to_string(window.width) + "x" + std::to_string(window.height) +
                           "+" + std::to_string(window.x) + "+" + std::to_string(window.y);
  return Measure("xwd -display " + display_ + " -root -silent | convert xwd:- -crop " + crop +
                 " +repage" + kGreyLevels);
}

int XSession::PixelsOnScreen(const XWindow& window, const std::string& color) {
  const std::string crop = std::to_string(window.width) + "x" + std::to_string(window.height) +
                           "+" + std::to_string(window.x) + "+" + std::to_string(window.y);
  // That color white, all else black: the mean is the share of the color.
  const GreyLevels share =
      Measure("xwd -display " + display_ + " -root -silent | convert xwd:- -crop " + crop +
              " +repage -fill black +opaque '" + color + "' -fill white -opaque '" + color + "'" +
              kGreyLevels);
  return static_cast<int>(share.mean * window.width * window.height + 0.5);
}

GreyLevels XSession::OwnImage(const XWindow& window) {
  return Measure("xwd -display " + display_ + " -id " + std::to_string(window.id) +
                 " -silent | convert xwd:-" + kGreyLevels);
}

BusMonitor::BusMonitor(const std::string& busAddress, const std::string& interface,
                       const std::string& member, const std::vector<std::string>& prefix)
    : member_(member) {
  std::vector<std::string> argv = prefix;
  argv.insert(argv.end(),
              {"sh", "-c",
               "exec dbus-monitor --address '" + busAddress + "' \"interface='" + interface +
                   "',member='" + member + "'\" >'" + dir_.File("seen") + "'"});
  monitor_ = Child(argv, {});
}

std::string BusMonitor::Log() { return ReadFile(dir_.File("seen")); }

int BusMonitor::Count() {
  const std::string text = Log();
  const std::string header = "member=" + member_ + "\n";
  int count = 0;
  for (size_t at = text.find(header); at != std::string::npos; at = text.find(header, at + 1)) {
    ++count;
  }
  return count;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace testing_support

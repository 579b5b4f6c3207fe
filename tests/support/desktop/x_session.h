#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace testing_support {

// A child process, ended by its PID when the object goes. Its environment is this process's
// with extraEnv's "NAME=value" in place of the variables of those names; a bare "NAME" removes
// one. With displayFd, that descriptor is its descriptor 3.
class Child {
 public:
  Child() = default;
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
        int displayFd = -1);
  ~Child();
  Child(Child&& other) noexcept;
  Child& operator=(Child&& other) noexcept;

  pid_t pid() const { return pid_; }
  bool Running();
  // The exit status once it has ended by itself within the time; -1 otherwise.
  int WaitForExit(std::chrono::milliseconds timeout);
  void Kill();

 private:
  pid_t pid_ = -1;
};

// The prefix that runs a program as an ordinary user of a user namespace when the tests run as
// root (sway refuses root); empty otherwise. Every program on one bus must start with the same
// prefix, as the bus checks that a peer's credentials are what it says.
std::vector<std::string> AsOrdinaryUser();

// A private session bus (dbus-daemon --session), so that no test sees the user's own.
class SessionBus {
 public:
  explicit SessionBus(const std::vector<std::string>& prefix = {});
  const std::string& address() const { return address_; }
  std::string Env() const { return "DBUS_SESSION_BUS_ADDRESS=" + address_; }

 private:
  Child daemon_;
  std::string address_;
};

struct XWindow {
  unsigned id;
  unsigned parent;          // 0 for a child of the root
  int x, y, width, height;  // on the screen
  bool mapped;
  bool overrideRedirect;  // pop-ups: menus and tooltips
  std::string wmClass;
  std::string name;
  std::string type;  // the _NET_WM_WINDOW_TYPE atom's name, if any
};

struct GreyLevels {
  double mean = 0;
  double spread = 0;
};

// An Xvfb server on a display number it picks itself, a session bus of its own, and tools run
// against them. Programs started with Env() use both, on Qt's X11 platform, whatever the test's
// own environment holds.
class XSession {
 public:
  XSession();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  const std::string& display() const { return display_; }
  std::vector<std::string> Env() const {
    return {"DISPLAY=" + display_, bus_.Env(), "QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY"};
  }
  const SessionBus& bus() const { return bus_; }

  void StartTrayer();
  void StopTrayer();
  bool TrayHostPresent();

  std::vector<XWindow> Windows();
  // The window that a window belongs to (WM_TRANSIENT_FOR); 0 for none.
  unsigned TransientFor(unsigned window);
  // A property of a window, or of the root for 0, as the names of the atoms it lists
  // (_NET_WM_STATE) or as the 32-bit values it holds (_NET_WM_ICON, _NET_ACTIVE_WINDOW).
  std::vector<std::string> AtomsOf(unsigned window, const std::string& property);
  std::vector<uint32_t> CardinalsOf(unsigned window, const std::string& property);
  // Runs an xdotool command line (arguments after "xdotool").
  void XDoTool(const std::string& arguments);
  void Screenshot(const std::string& pngPath);
  // How a window's rectangle looks in the screen image (xwd -root, what a person sees) and in
  // the window's own image (xwd -id, what it painted): mean and spread of its grey levels, 0 to 1.
  GreyLevels OnScreen(const XWindow& window);
  GreyLevels OwnImage(const XWindow& window);
  // How many pixels of the window's rectangle in the screen image are exactly that color
  // ("#005CC4").
  int PixelsOnScreen(const XWindow& window, const std::string& color);

 private:
  Child xvfb_;
  SessionBus bus_;
  Child trayer_;
  std::string display_;
  void* connection_ = nullptr;
};

// The calls and signals of one member of an interface on a bus (dbus-monitor), started through
// prefix: the notices sent to the desktop's notification service, a menu's LayoutUpdated.
class BusMonitor {
 public:
  BusMonitor(const std::string& busAddress, const std::string& interface, const std::string& member,
             const std::vector<std::string>& prefix = {});
  int Count();
  std::string Log();  // everything seen, the texts as dbus-monitor prints them

 private:
  std::string member_;
  TempDir dir_;
  Child monitor_;
};

bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace testing_support

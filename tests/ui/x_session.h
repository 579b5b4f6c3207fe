#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A child process, ended by its PID when the object goes.
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

// An Xvfb server on a display number it picks itself, and tools run against it.
class XSession {
 public:
  XSession();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  const std::string& display() const { return display_; }
  std::vector<std::string> Env() const { return {"DISPLAY=" + display_}; }

  void StartTrayer();
  void StopTrayer();
  bool TrayHostPresent();

  std::vector<XWindow> Windows();
  // The window that a window belongs to (WM_TRANSIENT_FOR); 0 for none.
  unsigned TransientFor(unsigned window);
  // Runs an xdotool command line (arguments after "xdotool").
  void XDoTool(const std::string& arguments);
  void Screenshot(const std::string& pngPath);
  // How a window's rectangle looks in the screen image (xwd -root, what a person sees) and in
  // the window's own image (xwd -id, what it painted): mean and spread of its grey levels, 0 to 1.
  GreyLevels OnScreen(const XWindow& window);
  GreyLevels OwnImage(const XWindow& window);

 private:
  Child xvfb_;
  Child trayer_;
  std::string display_;
  void* connection_ = nullptr;
};

bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace testing_support

// Starts a tray program and measures how long it takes from the process's start until a tray
// host has taken its icon in:
//
//   tray_startup PROGRAM [ARGUMENT...]
//
// prints "PID MILLISECONDS" and leaves the program running; exits non-zero when no icon docks
// within 30 s or the program ends first. Nothing is polled and the program is not changed: a tray
// host takes an icon in (XEmbed) by reparenting the icon's window out of the root window, and the
// X server reports that to every client that watches the root's substructure, the moment it
// happens. The window must carry the program's process id (_NET_WM_PID, which Qt sets).
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLimit = std::chrono::seconds(30);

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The window's _NET_WM_PID, or -1.
long WindowPid(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmPid) {
  const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
  if (!reply || xcb_get_property_value_length(reply.get()) != 4) return -1;
  return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tray_startup PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "tray_startup: no X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const xcb_atom_t netWmPid = Atom(c, "_NET_WM_PID");
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  free(xcb_request_check(c,
                         xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask)));

  const Clock::time_point start = Clock::now();
  // The program's output goes elsewhere: whoever reads ours must not wait for the program's end.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[1], &actions, nullptr, argv + 1, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    std::fprintf(stderr, "tray_startup: cannot start %s\n", argv[1]);
    return 1;
  }
  pollfd events{xcb_get_file_descriptor(c), POLLIN, 0};
  while (Clock::now() - start < kLimit) {
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
      if ((event->response_type & 0x7F) != XCB_REPARENT_NOTIFY) continue;
      const auto* reparent = reinterpret_cast<const xcb_reparent_notify_event_t*>(event.get());
      if (reparent->parent == root || WindowPid(c, reparent->window, netWmPid) != pid) continue;
      const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
      std::printf("%d %.1f\n", pid, elapsed.count());
      return 0;
    }
    if (xcb_connection_has_error(c)) break;
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      std::fprintf(stderr, "tray_startup: %s ended before its icon docked\n", argv[1]);
      return 1;
    }
    poll(&events, 1, 50);
  }
  std::fprintf(stderr, "tray_startup: no icon of %s docked\n", argv[1]);
  return 1;
}

#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "state/guarded.h"
#include "state/guarded_text.h"
#include "state/hit_table.h"
#include "state/service_settings.h"

// The user's five settings, kept in setting.ini. Flags are tested only for zero and non-zero.
struct WatchSettings {
  std::atomic<int32_t> scanFlag{0};      // alert armed
  GuardedText scanKeyword;               // search keyword, code page 932
  GuardedText scanPrice;                 // price ceiling in yen as typed; empty: none
  std::atomic<int32_t> scanZaiko{0};     // only items in stock count
  std::atomic<int32_t> scanTimesale{0};  // watch the time-sale badge instead of the count
};

// The five settings read once, member by member, as plain values: what one watch cycle or one
// search works with from start to end, whatever the dialog changes meanwhile.
struct SettingsSnapshot {
  int32_t scanFlag = 0;
  std::string scanKeyword;
  std::string scanPrice;
  int32_t scanZaiko = 0;
  int32_t scanTimesale = 0;
};

// The one block of state that the program's parts share, reached by name. Integers that both
// threads use are atomic; texts are guarded; the groups below name their thread or their lock.
struct WatchState {
  WatchSettings settings;

  // Coordination between the tray menu, the settings dialog and the worker.
  std::atomic<int32_t> settingsDialogOpen{0};  // written by the UI thread, read by the worker
  int32_t settingsDialogPrimed = 0;            // UI thread only

  // The worker's last results. Atomic so that tests may watch them from another thread.
  std::atomic<int32_t> lastSalesState{0};  // 0 nothing, 1 time sale running, 2 ended
  std::atomic<int32_t> lastHitCount{0};    // count of the last count query, -1 when it failed

  uint32_t taskbarCreatedMessage = 0;  // UI thread only

  // The settings file's path and buffers, and the file itself: only under iniMutex.
  std::mutex iniMutex;
  std::string iniPath;
  std::string iniDrive;
  std::string iniDir;
  std::string iniName;
  std::string iniValue;

  // The [SERVICE] section as last loaded, assigned whole by LoadServiceSettings and read as a
  // copy through SnapshotService.
  Guarded<ServiceSettings> service;

  // The hit list: UI thread only.
  HitTable hitTable;
  int32_t hitCount = 0;     // hits announced by the last hit-list reading, at most MaxHits
  int32_t hitListRows = 0;  // rows the hit-list dialog lists
  int32_t hitListPrimed = 0;
  int32_t hitListFilled = 0;
  int32_t hitListSelectedRow = 0;
};

// The process-wide instance. It exists before any other static object is built and is never
// destroyed: the worker is not stopped at exit and may still use it.
extern WatchState& watchState;

// Reads watchState.settings into a snapshot. Either thread.
SettingsSnapshot SnapshotSettings();

// The [SERVICE] section as last loaded, as one copy: what one check, search, log line or window
// works with, whatever a load changes meanwhile. Either thread.
ServiceSettings SnapshotService();

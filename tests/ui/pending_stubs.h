#pragma once

#include <atomic>
#include <string>

// Stand-ins for the worker's and the HTTP layer's functions until they land on main; this file
// goes when they do.
namespace pending {

inline std::string fetchBody;  // what FetchPage answers; empty: the fetch fails
inline std::atomic<int> fetches{0};
inline std::atomic<int> workersStarted{0};

}  // namespace pending

#pragma once

// The hourly watch cycle, as a thread procedure (the argument is not used). Never returns.
void WatchWorker(void* argument);

namespace worker {

// Starts WatchWorker on a thread of its own, unless it runs already: one worker per process.
void StartWatchWorker();

}  // namespace worker

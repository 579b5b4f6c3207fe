#include "platform/ui/backend.h"

#include <atomic>
#include <vector>

#include "base/no_destructor.h"

namespace ui {

namespace {

// Backends live until the process ends; one replaced by a test stays alive too, as a worker
// thread may still be waiting on it.
NoDestructor<std::vector<std::unique_ptr<Backend>>> installed;
std::atomic<Backend*> current = nullptr;

}  // namespace

Backend& CurrentBackend() { return *current; }

void InstallBackend(std::unique_ptr<Backend> backend) {
  current = backend.get();
  installed->push_back(std::move(backend));
}

}  // namespace ui

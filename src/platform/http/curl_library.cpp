#include "platform/http/curl_library.h"

#include <dlfcn.h>

namespace platform::http {

namespace {

template <typename Function>
bool Bind(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

const CurlLibrary* Load() {
  // Never unloaded: the TLS libraries that it starts stay in the process in any case.
  void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  static CurlLibrary curl;
  decltype(&curl_global_init) globalInit = nullptr;
  const bool bound = Bind(library, "curl_global_init", globalInit) &&
                     Bind(library, "curl_easy_init", curl.easyInit) &&
                     Bind(library, "curl_easy_setopt", curl.easySetopt) &&
                     Bind(library, "curl_easy_perform", curl.easyPerform) &&
                     Bind(library, "curl_easy_getinfo", curl.easyGetinfo) &&
                     Bind(library, "curl_easy_strerror", curl.easyStrerror) &&
                     Bind(library, "curl_easy_cleanup", curl.easyCleanup) &&
                     Bind(library, "curl_slist_append", curl.slistAppend) &&
                     Bind(library, "curl_slist_free_all", curl.slistFreeAll);
  if (!bound || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
  return &curl;
}

}  // namespace

const CurlLibrary* Curl() {
  static const CurlLibrary* const curl = Load();
  return curl;
}

}  // namespace platform::http

#pragma once

#include <curl/curl.h>

// libcurl, loaded on the first exchange rather than with the program. With the TLS, directory and
// protocol libraries it brings along, loading it takes about a third of the time the program
// needs to put its icon in the tray, and nothing before the first exchange needs it.
namespace platform::http {

struct CurlLibrary {
  decltype(&curl_easy_init) easyInit;
  decltype(&curl_easy_setopt) easySetopt;
  decltype(&curl_easy_perform) easyPerform;
  decltype(&curl_easy_getinfo) easyGetinfo;
  decltype(&curl_easy_strerror) easyStrerror;
  decltype(&curl_easy_cleanup) easyCleanup;
  decltype(&curl_slist_append) slistAppend;
  decltype(&curl_slist_free_all) slistFreeAll;
};

// The library, loaded and globally initialised on the first call (any thread, once); null when it
// cannot be loaded or initialised.
const CurlLibrary* Curl();

}  // namespace platform::http

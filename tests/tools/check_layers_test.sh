#!/usr/bin/env bash
# scripts/check-layers (the first argument: the repository) on the tree as it is, and on copies
# of it that each break one rule: it must pass the first and fail each of the others, naming it.
set -uo pipefail
repo=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# shellcheck source=tests/support/checks.sh
source "$(dirname "$0")/../support/checks.sh"

check "the tree keeps its layers" "$repo/scripts/check-layers" "$repo/src"

broken() {  # NAME FILE LINE EXPECTED: a copy with LINE added to FILE fails, saying EXPECTED
  local copy=$tmp/$1
  cp -r "$repo/src" "$copy"
  printf '%s\n' "$3" >>"$copy/$2"
  local said
  said=$("$repo/scripts/check-layers" "$copy")
  check "$1 fails the check" test $? -ne 0
  check "... and is named" grep -qF -- "$4" <<<"$said"
}
broken settings-above-service settings/settings_file.cpp '#include "service/fetch_page.h"' \
  '"service/fetch_page.h" (settings may not include service)'
broken service-above-res service/fetch_page.cpp '#include "res/texts.h"' \
  '"res/texts.h" (service may not include res)'
broken described-beside-ichiba service/described/item_search_reader.cpp \
  '#include "service/ichiba/json_answer.h"' \
  '"service/ichiba/json_answer.h" (described may not include ichiba)'
broken shared-above-router service/check_log.cpp '#include "service/router/service_requests.h"' \
  '"service/router/service_requests.h" (service may not include router)'
broken worker-above-desktop worker/price_check.cpp '#include "desktop/settings_dialog.h"' \
  '"desktop/settings_dialog.h" (worker may not include desktop)'
broken seam-in-the-program worker/watch_worker.cpp \
  '  void Speed() { SetServiceIntervalForTesting(std::chrono::milliseconds(0)); }' \
  'calls SetServiceIntervalForTesting (test seams are for tests, bench and fuzz)'

checks_done check-layers

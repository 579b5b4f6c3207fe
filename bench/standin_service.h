#pragma once

#include <chrono>
#include <string>

#include "service/ichiba/request_pacer.h"
#include "state/service_settings.h"
#include "support/standin_mall.h"
#include "support/standin_mall/service_keys.h"

// [SERVICE] as a user writes it, for the stand-in's copy of the IchibaItem/Search service at
// endpoint. The benchmarks ask many times a second, so the one-request-a-second pacing is taken
// out on both sides: the pacer keeps its bookkeeping but waits for nothing, and the stand-in
// answers every request.
inline ServiceSettings StandInService(testing_support::StandInMall& mall,
                                      const std::string& endpoint) {
  service::SetServiceIntervalForTesting(std::chrono::milliseconds(0));
  mall.SetServiceMode("rate=off");
  ServiceSettings service;
  service.applicationId = standin::kApplicationId;
  service.accessKey = standin::kAccessKey;
  service.endpoint = endpoint;
  return service;
}

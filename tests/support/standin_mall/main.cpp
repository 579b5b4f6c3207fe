// The stand-in mall: the item-search service and the mall's pages on loopback, for the tests,
// the benchmarks and the offline demo, with faults on request (faults.h).
//
//   kobanu_standin_mall [--port N] [--tls-dir DIR] [--exit-when-stdin-closes]
//
// Binds 127.0.0.1 (port N, or one the system chooses), prints the port on a line of its own,
// then "REQUEST <method> <target> <version>" for every request it receives, the value of an
// accessKey parameter masked. With --tls-dir it first makes a certificate authority of the
// tests in DIR (test_ca.h) and serves the IchibaItem/Search service over TLS on four more ports,
// one per server certificate, each announced as "TLS <kind> <port>" before the port line; an
// armed redirect (faults.h) is the one fault they show.
//
//   GET /rws/3.0/rest?developerId=…&operation=ItemSearch&version=2010-09-15[&affiliateId=…]
//       &keyword=…&sort=%2BitemPrice&availability=0|1[&maxPrice=…]   item search (XML)
//   GET /ichibams/api/IchibaItem/Search/<version>?applicationId=…&accessKey=…&keyword=…
//       [&affiliateId=…&sort=…&availability=…&maxPrice=…&hits=…&format=json
//       &formatVersion=1|2&elements=…]   the IchibaItem/Search service (JSON, ichiba_search.h):
//       versions 20260701 and 20260401; 20220601 and any other as retired
//   GET /search/mall?sitem=…              the mall's search page with its time-sale marks
//   GET /item/<itemCode>                  an item's page
//   GET /echo/headers                     the request's header lines, as the body
//   GET /fault/<mode>?…                   a fault at once (faults.h)
//   GET /control/fault?mode=<mode>&…      the next item search or search page misbehaves;
//                                         mode=none disarms
//   GET /control/service?deny=ip|none&rate=strict|off&fail=500|503|none
//                                         how the IchibaItem/Search service behaves from now on
#include <httplib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "faults.h"
#include "ichiba_search.h"
#include "item_search.h"
#include "mall_pages.h"
#include "raw_connection.h"
#include "service_keys.h"
#include "test_ca.h"

namespace {

constexpr char kHtml[] = "text/html; charset=UTF-8";
constexpr char kText[] = "text/plain; charset=UTF-8";

std::mutex outputMutex;

void PrintLine(const std::string& line) {
  std::lock_guard lock(outputMutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// The fault that the next service answer is to show.
class ArmedFault {
 public:
  void Arm(std::optional<standin::Fault> fault) {
    std::lock_guard lock(mutex_);
    fault_ = std::move(fault);
  }
  // The armed fault, or with onlyMode the armed fault of that mode alone.
  std::optional<standin::Fault> Take(std::string_view onlyMode = {}) {
    std::lock_guard lock(mutex_);
    if (!onlyMode.empty() && (!fault_ || fault_->mode != onlyMode)) return std::nullopt;
    return std::exchange(fault_, std::nullopt);
  }

 private:
  std::mutex mutex_;
  std::optional<standin::Fault> fault_;
};

struct Options {
  int port = 0;
  std::string tlsDir;
  bool exitWhenStdinCloses = false;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      options.port = std::atoi(argv[++i]);
      if (options.port <= 0 || options.port > 65535) return std::nullopt;
    } else if (arg == "--tls-dir" && i + 1 < argc) {
      options.tlsDir = argv[++i];
    } else if (arg == "--exit-when-stdin-closes") {
      options.exitWhenStdinCloses = true;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

// Lets a test harness that dies without a word take the stand-in with it.
void ExitWhenStdinCloses() {
  std::thread([] {
    char buffer[256];
    for (;;) {
      const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n == 0 || (n < 0 && errno != EINTR)) std::_Exit(0);
    }
  }).detach();
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = ParseOptions(argc, argv);
  if (!options) {
    std::fprintf(stderr, "usage: %s [--port N] [--tls-dir DIR] [--exit-when-stdin-closes]\n",
                 argv[0]);
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  if (options->exitWhenStdinCloses) ExitWhenStdinCloses();

  httplib::Server server;
  // Faults hold their thread while they wait; leave room for ordinary requests beside them.
  server.new_task_queue = [] { return new httplib::ThreadPool(16); };
  // httplib's default, SO_REUSEPORT, lets a second stand-in share a taken port and split its
  // requests; --port must fail instead, so that the demo picks another.
  server.set_socket_options([](socket_t sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  ArmedFault armed;
  std::string self;  // "127.0.0.1:port", set before the first request

  using Request = httplib::Request;
  using Response = httplib::Response;
  const auto answerService = [&](const Request& request, Response& response,
                                 standin::Answer answer) {
    if (auto fault = armed.Take()) {
      PrintLine("FAULT " + fault->mode + " " + standin::MaskedTarget(request.target));
      standin::RawConnection connection(request.local_port, request.remote_port);
      standin::Misbehave(connection, *fault, std::move(answer), self, request.target);
    } else {
      response.status = answer.status;
      response.set_content(answer.body, answer.contentType);
    }
  };
  const auto answerFault = [&](const Request& request, const standin::Fault& fault) {
    standin::RawConnection connection(request.local_port, request.remote_port);
    standin::AnswerFaultPath(connection, fault, self);
  };

  const auto logRequest = [](const Request& request, Response&) {
    PrintLine("REQUEST " + request.method + " " + standin::MaskedTarget(request.target) + " " +
              request.version);
    return httplib::Server::HandlerResponse::Unhandled;
  };
  server.set_pre_routing_handler(logRequest);
  standin::IchibaServiceMode currentMode;
  const auto currentAnswer = [&](const Request& request) {
    return standin::IchibaSearchAnswer({.version = request.matches[1].str(),
                                        .params = request.params,
                                        .accessKeyHeader = request.get_header_value("accessKey"),
                                        .origin = request.get_header_value("Origin")},
                                       self, currentMode);
  };
  const std::string servicePattern = std::string(standin::kServiceSearchPath) + "([^/]*)";
  server.Get(servicePattern, [&](const Request& request, Response& response) {
    answerService(request, response, currentAnswer(request));
  });
  server.Get("/control/service", [&](const Request& request, Response& response) {
    const bool set = currentMode.Set(request.params);
    response.status = set ? 200 : 400;
    response.set_content(set ? "set\n" : "no such mode\n", kText);
  });
  server.Get("/rws/3.0/rest", [&](const Request& request, Response& response) {
    answerService(
        request, response,
        {200, "text/xml; charset=UTF-8", standin::ItemSearchResponse(request.params, self)});
  });
  server.Get("/search/mall", [&](const Request& request, Response& response) {
    answerService(request, response,
                  {200, kHtml, standin::SearchPage(request.get_param_value("sitem"), self)});
  });
  server.Get(R"(/item/(.+))", [&](const Request& request, Response& response) {
    if (const auto page = standin::ItemPage(request.matches[1].str(), self)) {
      response.set_content(*page, kHtml);
    } else {
      response.status = 404;
      response.set_content("no such item\n", kText);
    }
  });
  server.Get("/echo/headers", [](const Request& request, Response& response) {
    std::string lines;
    for (const auto& [name, value] : request.headers) {
      // httplib files the connection's addresses among the headers.
      if (!name.starts_with("REMOTE_") && !name.starts_with("LOCAL_")) {
        lines += name + ": " + value + "\n";
      }
    }
    response.set_content(lines, kText);
  });
  server.Get(R"(/fault/status/(\d+))", [&](const Request& request, Response&) {
    answerFault(request, {"status", {{"code", request.matches[1].str()}}});
  });
  server.Get(R"(/fault/([a-z0-9-]+))", [&](const Request& request, Response& response) {
    const std::string mode = request.matches[1].str();
    if (standin::IsFaultMode(mode)) {
      answerFault(request, {mode, request.params});
    } else {
      response.status = 404;
      response.set_content("no such fault\n", kText);
    }
  });
  server.Get("/control/fault", [&](const Request& request, Response& response) {
    const std::string mode = request.get_param_value("mode");
    if (mode == "none") {
      armed.Arm(std::nullopt);
      response.set_content("disarmed\n", kText);
    } else if (standin::IsFaultMode(mode)) {
      armed.Arm(standin::Fault{mode, request.params});
      response.set_content("armed " + mode + "\n", kText);
    } else {
      response.status = 400;
      response.set_content("no such fault\n", kText);
    }
  });

  const int port = options->port == 0 ? server.bind_to_any_port("127.0.0.1")
                   : server.bind_to_port("127.0.0.1", options->port) ? options->port
                                                                     : -1;
  if (port <= 0) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1:%d: %s\n", options->port,
                 std::strerror(errno));
    return 1;
  }
  self = "127.0.0.1:" + std::to_string(port);

  // The IchibaItem/Search service over TLS, one server per certificate; of the faults only a
  // redirect.
  std::vector<std::unique_ptr<httplib::SSLServer>> tlsServers;
  if (!options->tlsDir.empty()) {
    for (const standin::TestCertificate& certificate :
         standin::MakeTestCertificates(options->tlsDir)) {
      auto& tls = *tlsServers.emplace_back(std::make_unique<httplib::SSLServer>(
          certificate.certificateFile.c_str(), certificate.keyFile.c_str()));
      // Without it, the answer's last TLS record waits for the client's delayed ACK (40 ms).
      tls.set_tcp_nodelay(true);
      tls.set_pre_routing_handler(logRequest);
      tls.Get(servicePattern, [&](const Request& request, Response& response) {
        if (const auto fault = armed.Take("redirect")) {
          PrintLine("FAULT redirect " + standin::MaskedTarget(request.target));
          standin::RedirectOverTls(*fault, request.target, response);
          return;
        }
        const standin::Answer answer = currentAnswer(request);
        response.status = answer.status;
        response.set_content(answer.body, answer.contentType);
      });
      const int tlsPort = tls.is_valid() ? tls.bind_to_any_port("127.0.0.1") : -1;
      if (tlsPort <= 0) {
        std::fprintf(stderr, "cannot serve TLS with %s\n", certificate.certificateFile.c_str());
        return 1;
      }
      PrintLine("TLS " + certificate.kind + " " + std::to_string(tlsPort));
      std::thread([&tls] { tls.listen_after_bind(); }).detach();  // ends with the process
    }
  }
  PrintLine(std::to_string(port));
  return server.listen_after_bind() ? 0 : 1;
}

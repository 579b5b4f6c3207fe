#pragma once

#include <string>
#include <string_view>

#include <httplib.h>

#include "item_search.h"
#include "raw_connection.h"

// The stand-in's misbehaviours. Each is a mode with parameters, asked for either directly
// (GET /fault/<mode>?<parameters>, starting from LinesBody(count), count 1000 unless given)
// or for the next service
// answer (GET /control/fault?mode=<mode>&<parameters>, misbehaving with the XML or HTML that
// /rws/3.0/rest or /search/mall would have sent).
//
// Bodies (sent well-formed, status 200):
//   lines?count=N (1000)      LinesBody(N)
//   size?bytes=N (0)          exactly N bytes: 64-byte lines of letters and digits, the last cut
//   nul-bytes                 "first line\nbefore\0after\nlast line\n"
//   invalid-utf8              "valid line\n\xFF\xFE lone \xC3\x28 bytes \xE7\xA6\nend\n"
//   long-line?bytes=N (10000000)&nulAt=K
//                             N bytes 'x' (a zero byte at offset K if given), "\n", "after\n"
//   one-line?pad=N (0)        the answer's body without its line ends, after N blanks
//   success-for-not-found     the answer with its status NotFound made Success (count 0)
//   long-fields?chars=N (300) the answer with N characters "長" added to the end of every
//                             itemName, and N letters "x" to the end of every affiliateUrl
//                             (of the XML records, or of the items of a JSON answer)
//   answer?status=S (200)&body=B
//                             status S with the body B as it is (a server's own words), as JSON
// Deliveries (at=B: the byte of the body where things go wrong, half of it unless given):
//   status?code=C (500)       status C with a short HTML body (none for 1xx, 204 and 304);
//                             GET /fault/status/C is the same
//   redirect?count=N (1)&code=C (302)&to=URL
//                             N redirects in a row, the last to URL (an absolute URL or a path
//                             of the stand-in; by default /fault/lines, or for a service answer
//                             the same request again, which is then answered properly)
//                             Over TLS one redirect, to URL as it is given (a path stays on
//                             that port), by default to the same request again.
//   redirect-loop?code=C (301) a redirect to itself, for ever
//   delay-headers?ms=M        nothing for M ms, then the answer
//   stall-body?ms=M&at=B      the headers and B bytes, nothing for M ms, then the rest
//   close-mid-body?at=B       the headers and B bytes, then the connection closed
//   reset-mid-body?at=B       the headers and B bytes, then the connection reset
//   chunked?size=S (100)      the body in chunks of S bytes
//   bad-chunk-size?at=B       a chunk of B bytes, then a chunk size that is no number
//   trailer-flood?bytes=N (64 MiB)
//                             the body in one chunk, the last chunk, then N bytes of trailer
//                             lines (in whole lines of 64 bytes) and the blank line after them
//   content-length-larger?extra=E (100)
//                             a Content-Length E bytes above the body's length, then a close
//   content-length-smaller?at=B
//                             a Content-Length of B, then the whole body anyway
//   trickle?ms=M (1000)       the body one byte every M ms
//   no-headers                the request is read and never answered
// Every delivery ends the connection when it is done. Waits end early when the client leaves.
namespace standin {

// What a well-behaved server would send.
struct Answer {
  int status = 200;
  std::string contentType = "text/plain; charset=UTF-8";
  std::string body;
};

struct Fault {
  std::string mode;
  QueryParams params;
};

bool IsFaultMode(std::string_view mode);

// "line 1" to "line N", every fifth line empty instead, each ended by LF; then "end" without a
// line end.
std::string LinesBody(long count);

// Answers GET /fault/<mode> on connection, starting from LinesBody(count). self is the
// stand-in's "host:port".
void AnswerFaultPath(RawConnection& connection, const Fault& fault, const std::string& self);

// Answers a service request on connection as fault says, starting from the answer it would have
// had. A redirect without a target leads to the request's own target again.
void Misbehave(RawConnection& connection, const Fault& fault, Answer answer,
               const std::string& self, const std::string& target);

// Answers a service request on a TLS port with an armed redirect fault.
void RedirectOverTls(const Fault& fault, const std::string& target, httplib::Response& response);

}  // namespace standin

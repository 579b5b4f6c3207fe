#include "service/line_pieces.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace service {

void AppendLinePieces(std::string& target, std::string&& body) {
  std::string_view rest = body;
  size_t zero = rest.find('\0');
  if (zero == rest.npos) {
    if (target.empty()) {
      target = std::move(body);
    } else {
      target += body;
    }
    return;
  }
  // rest always starts where a piece starts.
  for (; zero != rest.npos; zero = rest.find('\0')) {
    const size_t lineStart = rest.rfind('\n', zero) + 1;  // npos + 1 is 0: rest's first line
    const size_t pieceStart = lineStart + (zero - lineStart) / kLinePieceMax * kLinePieceMax;
    const size_t pieceLast =
        std::min({rest.find('\n', zero), pieceStart + kLinePieceMax - 1, rest.size() - 1});
    target.append(rest.substr(0, zero));
    rest.remove_prefix(pieceLast + 1);
  }
  target.append(rest);
}

}  // namespace service

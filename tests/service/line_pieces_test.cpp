#include "service/line_pieces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>

namespace service {

namespace {

// Piece by piece, as the line reader hands the body out.
std::string PieceByPiece(std::string_view body) {
  std::string out;
  while (!body.empty()) {
    const size_t lineEnd = body.find('\n');
    const size_t length = std::min(lineEnd == body.npos ? body.size() : lineEnd + 1, kLinePieceMax);
    const std::string_view piece = body.substr(0, length);
    out.append(piece.substr(0, piece.find('\0')));
    body.remove_prefix(length);
  }
  return out;
}

TEST(AppendLinePieces, AgreesWithThePieceByPieceReading) {
  std::mt19937 random(5);
  for (int round = 0; round < 3000; ++round) {
    // Long lines, so that zero bytes fall into every piece of them; few line ends and zeros.
    std::string body(random() % 16000, 'x');
    const auto marks = random() % 8;
    for (unsigned i = 0; i < marks && !body.empty(); ++i) {
      body[random() % body.size()] = random() % 2 ? '\n' : '\0';
    }
    const std::string before = round % 3 == 0 ? "before" : "";
    std::string target = before;
    AppendLinePieces(target, std::string(body));
    ASSERT_EQ(target, before + PieceByPiece(body)) << "round " << round;
  }
}

TEST(AppendLinePieces, AZeroByteOnAPieceBoundaryOrLineEndCutsOnlyItsOwnPiece) {
  const std::string line(2 * kLinePieceMax, 'x');
  for (const size_t at : {size_t{0}, kLinePieceMax - 1, kLinePieceMax, 2 * kLinePieceMax - 1}) {
    std::string body = line + "\nnext\n";
    body[at] = '\0';
    std::string target;
    AppendLinePieces(target, std::string(body));
    EXPECT_EQ(target, PieceByPiece(body)) << at;
    EXPECT_TRUE(target.ends_with("\nnext\n")) << at;
  }
}

}  // namespace

}  // namespace service

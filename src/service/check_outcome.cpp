#include "service/check_outcome.h"

#include <string_view>
#include <utility>

#include "base/visible_text.h"

namespace {

// One known failure: how the log names it, the tip's short text, its cause and its fix.
struct FailureText {
  const char* head;
  const char* brief;
  const char* cause;
  const char* fix;
};

// Enough of a name to tell a band from the watch, and of a shop to know it: the notice and the
// tip have little room.
constexpr size_t kShownNameBytes = 150;
constexpr size_t kShownShopBytes = 90;

constexpr char kNextHour[] = "そのままお待ちください。次の確認は1時間後です。";

// The service's versions, errors and rules as its documentation and clients in use showed them
// in 2026; README.md lists the same table for the user. A switch without a default, so that the
// compiler names any failure left without its text.
FailureText TextOf(Failure failure) {
  switch (failure) {
    case Failure::kRetiredVersion:
      return {"retired version", "APIの版が廃止されています",
              "楽天ウェブサービスはこの版の商品検索APIを廃止しました。"
              "キーや設定の誤りではありません。",
              "[SERVICE] の ENDPOINT を空にするか、末尾の版を 20260701 に変えてください。"};
    case Failure::kNoKnownVersion:
      return {"retired version", "使えるAPIの版がありません",
              "ENDPOINT の版も、Kobanu の知る版（20260701、20260401）も"
              "すべて廃止されています。",
              "楽天ウェブサービスの商品検索APIの資料で今の版を確かめ、"
              "ENDPOINT にその版のアドレスを書いてください。"};
    case Failure::kIpNotAllowed:
      return {"service error", "登録IPと異なります",
              "アプリ（API/バックエンド型）に登録されていないIPアドレスから要求が届きました。"
              "家庭の回線ではアドレスが変わることがあり、IPv6で出ていくこともあります。",
              "楽天ウェブサービスのアプリ設定に、この機械が今使っている送信元の"
              "IPアドレス（IPv4とIPv6）を登録してください。"};
    case Failure::kReferrerMissing:
      return {"service error", "サイトの指定がありません",
              "Webアプリケーション型のアプリには、登録したサイトを示す "
              "Referer と Origin が要ります。",
              "[SERVICE] の REFERER に、"
              "アプリに登録したサイトのアドレス（https://…）を書いてください。"};
    case Failure::kReferrerNotAllowed:
      return {"service error", "登録したサイトと異なります",
              "REFERER のサイトが、アプリに登録されたサイトと一致しません。",
              "REFERER を、アプリに登録したサイトのアドレスと同じにしてください。"};
    case Failure::kCredentials:
      return {"service error", "アプリIDかアクセスキーが違います",
              "アプリID（APPLICATION_ID）かアクセスキー（ACCESS_KEY）が"
              "受け付けられませんでした。",
              "楽天ウェブサービスのアプリ情報から、アプリIDとアクセスキー"
              "（pk_ で始まる）を写し直してください。"};
    case Failure::kKeywordRefused:
      return {"service error", "キーワードが受け付けられません",
              "サービスがキーワードを受け付けませんでした。",
              "各語を半角2文字以上か全角1文字以上（ひらがな・カタカナ・記号だけの語は2文字以上）、"
              "全体を半角128文字以内にしてください。"};
    case Failure::kKeywordRule:
      return {"keyword not sent", "キーワードが規則に合いません",
              "サービスはこのキーワードを受け付けないため、問い合わせていません。",
              "その語を長くするか除いてください。"
              "語は半角のスペースか全角のスペースで区切ります。"};
    case Failure::kTooManyRequests:
      return {"service error", "要求が多すぎます",
              "同じアプリIDからの要求が1秒に1回を超えました。"
              "ほかのプログラムも同じアプリIDを使っていませんか。",
              kNextHour};
    case Failure::kServiceDown:
      return {"service error", "サービスが止まっています",
              "楽天ウェブサービスが一時的に応答できません（保守か障害）。", kNextHour};
    case Failure::kServiceError:
      return {"service error", "サービスのエラーです", "サービスが要求を受け付けませんでした。",
              "ログにあるサービスの言葉を確かめてください。"};
    case Failure::kUnreadable:
      return {"service error 200", "応答を読めません",
              "サービスの応答が商品検索の答えではありませんでした。",
              "次の確認を待ってください。続くときは ENDPOINT を確かめてください。"};
    case Failure::kNetwork:
      return {"network error", "接続できません",
              "サービスに接続できませんでした（ネットワーク、名前の解決、証明書など）。",
              "ネットワークを確かめてください。次の確認は1時間後です。"};
    case Failure::kRedirectRefused:
      return {"redirect refused", "安全でない転送先です",
              "サービスの答えが、https でないか別のホストのアドレスへの転送（リダイレクト）"
              "でした。アクセスキーを守るため、転送先には何も送っていません。",
              "ENDPOINT を確かめてください（空なら今のアドレス）。続くときは、途中のプロキシや"
              "機器が転送させていないか確かめてください。"};
    case Failure::kBadEndpoint:
      return {"settings error", "ENDPOINT が正しくありません",
              "ENDPOINT は https のアドレスでなければなりません（http はこの機械の中、"
              "127.0.0.1・::1・localhost だけ）。",
              "[SERVICE] の ENDPOINT を空にするか、https://openapi.rakuten.co.jp/… の"
              "アドレスにしてください。"};
    case Failure::kRetiredHost:
      return {"settings error", "ENDPOINT は廃止されたアドレスです",
              "ENDPOINT のホストは楽天ウェブサービスが移る前の古いアドレスで、"
              "今のアプリIDとアクセスキーは通りません。キーは送っていません。",
              "[SERVICE] の ENDPOINT を空にするか、今のアドレス "
              "https://openapi.rakuten.co.jp/ichibams/api/IchibaItem/Search/20260701 "
              "にしてください。"};
    case Failure::kBadMinPrice:
      return {"settings error", "下限価格が正しくありません",
              "下限価格（MIN_PRICE）は円の整数を半角数字だけで書きます（0～999999999）。"
              "問い合わせていません。",
              "サービス設定の下限価格を半角数字で書き直すか、空にしてください。"};
    case Failure::kFloorNotBelowPrice:
      return {
          "settings error", "下限価格が設定価格以上です",
          "下限価格（MIN_PRICE）が設定価格（上限）と同じか高いため、当てはまる商品はありません。"
          "問い合わせていません。",
          "サービス設定の下限価格を設定価格より低くするか、空にしてください。"};
    case Failure::kNgKeywordRule:
      return {
          "ng keyword not sent", "除外キーワードが規則に合いません",
          "サービスはこの除外キーワード（NG_KEYWORD）を受け付けないため、問い合わせていません。",
          "その語を長くするか除いてください。語は半角のスペースか全角のスペースで区切ります。"};
  }
  // Only a value that names no failure comes here.
  return TextOf(Failure::kServiceError);
}

CheckOutcome Answered(int result, std::string log, std::string brief, std::string url,
                      std::optional<int> found = std::nullopt) {
  return {.result = result,
          .answered = true,
          .log = std::move(log),
          .brief = std::move(brief),
          .url = std::move(url),
          .found = found};
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The service's words as the tip, the notice and the command line show them: one line with every
// control visible, at most maxBytes, "…" where it was cut.
std::string Shown(std::string_view text, size_t maxBytes = std::string_view::npos) {
  std::string shown = VisibleText(text);
  if (shown.size() <= maxBytes) return shown;
  return VisibleText(text, maxBytes) + "…";
}

// "9,800円".
std::string YenText(uint64_t yen) {
  std::string digits = std::to_string(yen);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits + "円";
}

// The price, the postage and the shop, as far as the answer told them.
std::string PriceAndShop(const CheapestMatch& match) {
  std::string text = match.price ? YenText(*match.price) : "価格不明";
  if (match.postageIncluded) text += *match.postageIncluded ? " 送料込" : " 送料別";
  if (!match.shop.empty()) text += " " + Shown(match.shop, kShownShopBytes);
  return text;
}

}  // namespace

CheckOutcome Failed(int result, Failure failure, std::string url, const std::string& said,
                    int status, const std::string& details) {
  const FailureText text = TextOf(failure);
  std::string head = text.head;
  if (status != 0 && failure != Failure::kUnreadable) head += " " + std::to_string(status);
  if (!said.empty()) head += ": " + said;
  const std::string cause = details + text.cause;
  return {.result = result,
          .log = head + " — 原因: " + cause + " 対処: " + text.fix,
          .brief = std::string("確認できません: ") + text.brief,
          .cause = cause,
          .fix = text.fix,
          .url = std::move(url),
          .failure = failure};
}

std::string UserText(const CheckOutcome& outcome, std::string_view lineEnd) {
  const std::string brief = VisibleText(outcome.brief);
  if (outcome.cause.empty()) return brief;
  const std::string end(lineEnd);
  return brief + end + "原因: " + VisibleText(outcome.cause) + end +
         "対処: " + VisibleText(outcome.fix);
}

std::string AnswerText(int status, const std::string& body) {
  constexpr size_t kShownBytes = 1000;
  std::string text = std::to_string(status) + " " + body.substr(0, kShownBytes);
  if (body.size() > kShownBytes) text += " ...";
  return text;
}

CheckOutcome NetworkFailed(int result, std::string url, const platform::http::HttpError& error) {
  using platform::http::HttpFailure;
  const char* details = "";
  switch (error.kind()) {
    case HttpFailure::kRedirect:
      return Failed(result, Failure::kRedirectRefused, std::move(url), error.what(), 0,
                    "転送先: " + std::string(error.what()) + "。");
    case HttpFailure::kName:
      details = "サーバーの名前を解決できませんでした。";
      break;
    case HttpFailure::kConnection:
      details = "サーバーに接続できないか、接続が途中で切れました。";
      break;
    case HttpFailure::kCertificate:
      details = "サーバーの証明書が受け付けられませんでした（時計のずれ、途中のプロキシなど）。";
      break;
    case HttpFailure::kTimeout:
      details = "時間内に答えが届きませんでした。";
      break;
    case HttpFailure::kTooLarge:
      details = "答えが大きすぎて受け取れませんでした。";
      break;
    case HttpFailure::kOther:
      break;
  }
  return Failed(result, Failure::kNetwork, std::move(url), error.what(), 0, details);
}

CheckOutcome Counted(int count, std::string url, std::optional<CheapestMatch> cheapest) {
  std::string brief = count > 0 ? "該当 " + std::to_string(count) + "件" : "該当なし";
  if (count > 0 && cheapest && cheapest->price) brief += " 最安 " + YenText(*cheapest->price);
  CheckOutcome counted = Answered(0, count > 0 ? "count " + std::to_string(count) : "nothing found",
                                  std::move(brief), std::move(url), count);
  if (count > 0) counted.cheapest = std::move(cheapest);
  return counted;
}

std::string MatchNotice(const CheapestMatch& match) {
  return Shown(match.name, kShownNameBytes) + "\n" + PriceAndShop(match);
}

std::string MatchLine(const CheapestMatch& match) {
  return PriceAndShop(match) + " — " + Shown(match.name) + " — " + Shown(match.address);
}

CheckOutcome Listed(int rows, std::string url) {
  return Answered(0, rows > 0 ? "listed " + std::to_string(rows) : "nothing found",
                  rows > 0 ? std::to_string(rows) + "件を表示" : "該当なし", std::move(url));
}

CheckOutcome SaleRead(int state, SaleSource source, std::string url) {
  const auto told = [&](const char* log, const char* brief) {
    return Answered(0, log, brief, std::move(url), state);
  };
  switch (state) {
    case 1:
      return told("sale running", "タイムセール中");
    case -2:
      return told("sale ended", "タイムセール終了");
    case 0:
      return source == SaleSource::kService ? told("no time sale", "タイムセールなし")
                                            : told("other badge", "ほかの表示");
    default:
      return told("no badge", "表示なし");
  }
}

CheckOutcome NothingBelowOneYen() {
  return Answered(0, "nothing found: no price below 1 yen", "該当なし（上限価格が1円未満）", "", 0);
}

std::string VersionNote(const std::string& retired, const std::string& answering,
                        const std::string& askedEndpoint) {
  return " — 版 " + retired + " は廃止されているため " + answering +
         " に問い合わせました。ENDPOINT を " + askedEndpoint +
         " に変えてください（空なら既定の版）。";
}

CheckOutcome Skipped(Skip why) {
  const char* log = "";
  switch (why) {
    case Skip::kDisarmed:
      log = "skipped: disarmed";
      break;
    case Skip::kNoKeyword:
      log = "skipped: no keyword";
      break;
    case Skip::kBadPrice:
      log = "skipped: bad price";
      break;
    case Skip::kNoKeywordBadPrice:
      log = "skipped: no keyword, bad price";
      break;
  }
  return {.result = -2, .log = log, .brief = "確認していません"};
}

CheckOutcome NotAsked(const std::string& message) {
  return {.result = -2, .log = "not asked: " + message, .brief = "確認していません"};
}

CheckOutcome NotSuccess(std::string url) {
  return Failed(0, Failure::kServiceError, std::move(url), "a status other than Success", 200);
}

Failure FailureOfAnswer(int status, const std::string& error, const std::string& description) {
  const std::string said = error + " " + description;
  if (Contains(said, "API Configuration not found")) return Failure::kRetiredVersion;
  if (Contains(said, "CLIENT_IP_NOT_ALLOWED")) return Failure::kIpNotAllowed;
  if (Contains(said, "HTTP_REFERRER_MISSING")) return Failure::kReferrerMissing;
  if (Contains(said, "HTTP_REFERRER_NOT_ALLOWED")) return Failure::kReferrerNotAllowed;
  // The documented forms and those clients met: "INVALID_ACCESS_KEY", "Invalid Access Key",
  // "accessKey must be present ...", "specify valid applicationId", "invalid_token".
  for (const char* words : {"INVALID_ACCESS_KEY", "Invalid Access Key", "accessKey must be",
                            "valid applicationId", "invalid_token", "invalid_access_key"}) {
    if (Contains(said, words)) return Failure::kCredentials;
  }
  if (Contains(said, "keyword")) return Failure::kKeywordRefused;
  if (status == 429) return Failure::kTooManyRequests;
  if (status >= 500) return Failure::kServiceDown;
  return Failure::kServiceError;
}

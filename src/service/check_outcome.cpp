#include "service/check_outcome.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace {

// One known failure: how the log names it, the tip's short text, its cause and its fix.
struct FailureText {
  Failure failure;
  const char* head;
  const char* brief;
  const char* cause;
  const char* fix;
};

constexpr char kNextHour[] = "そのままお待ちください。次の確認は1時間後です。";

// The service's versions, errors and rules as its documentation and clients in use showed them
// in 2026; README.md lists the same table for the user.
constexpr std::array<FailureText, 14> kFailures = {{
    {Failure::kRetiredVersion, "retired version", "APIの版が廃止されています",
     "楽天ウェブサービスはこの版の商品検索APIを廃止しました。キーや設定の誤りではありません。",
     "[SERVICE] の ENDPOINT を空にするか、末尾の版を 20260701 に変えてください。"},
    {Failure::kNoKnownVersion, "retired version", "使えるAPIの版がありません",
     "ENDPOINT の版も、Kobanu の知る版（20260701、20260401）もすべて廃止されています。",
     "楽天ウェブサービスの商品検索APIの資料で今の版を確かめ、ENDPOINT にその版のアドレスを書いて"
     "ください。"},
    {Failure::kIpNotAllowed, "service error", "登録IPと異なります",
     "アプリ（API/バックエンド型）に登録されていないIPアドレスから要求が届きました。家庭の回線では"
     "アドレスが変わることがあり、IPv6で出ていくこともあります。",
     "楽天ウェブサービスのアプリ設定に、この機械が今使っている送信元のIPアドレス（IPv4とIPv6）を"
     "登録してください。"},
    {Failure::kReferrerMissing, "service error", "サイトの指定がありません",
     "Webアプリケーション型のアプリには、登録したサイトを示す Referer と Origin が要ります。",
     "[SERVICE] の REFERER に、アプリに登録したサイトのアドレス（https://…）を書いてください。"},
    {Failure::kReferrerNotAllowed, "service error", "登録したサイトと異なります",
     "REFERER のサイトが、アプリに登録されたサイトと一致しません。",
     "REFERER を、アプリに登録したサイトのアドレスと同じにしてください。"},
    {Failure::kCredentials, "service error", "アプリIDかアクセスキーが違います",
     "アプリID（APPLICATION_ID）かアクセスキー（ACCESS_KEY）が受け付けられませんでした。",
     "楽天ウェブサービスのアプリ情報から、アプリIDとアクセスキー（pk_ で始まる）を写し直してくだ"
     "さい。"},
    {Failure::kKeywordRefused, "service error", "キーワードが受け付けられません",
     "サービスがキーワードを受け付けませんでした。",
     "各語を半角2文字以上か全角1文字以上（ひらがな・カタカナ・記号だけの語は2文字以上）、全体を"
     "半角128文字以内にしてください。"},
    {Failure::kKeywordRule, "keyword not sent", "キーワードが規則に合いません",
     "サービスはこのキーワードを受け付けないため、問い合わせていません。",
     "その語を長くするか除いてください。語は半角のスペースか全角のスペースで区切ります。"},
    {Failure::kTooManyRequests, "service error", "要求が多すぎます",
     "同じアプリIDからの要求が1秒に1回を超えました。ほかのプログラムも同じアプリIDを使っていませ"
     "んか。",
     kNextHour},
    {Failure::kServiceDown, "service error", "サービスが止まっています",
     "楽天ウェブサービスが一時的に応答できません（保守か障害）。", kNextHour},
    {Failure::kServiceError, "service error", "サービスのエラーです",
     "サービスが要求を受け付けませんでした。", "ログにあるサービスの言葉を確かめてください。"},
    {Failure::kUnreadable, "service error 200", "応答を読めません",
     "サービスの応答が商品検索の答えではありませんでした。",
     "次の確認を待ってください。続くときは ENDPOINT を確かめてください。"},
    {Failure::kNetwork, "network error", "接続できません",
     "サービスに接続できませんでした（ネットワーク、名前の解決、証明書など）。",
     "ネットワークを確かめてください。次の確認は1時間後です。"},
    {Failure::kBadEndpoint, "settings error", "ENDPOINT が正しくありません",
     "ENDPOINT は https のアドレスでなければなりません（http はこの機械の中、127.0.0.1・::1・"
     "localhost だけ）。",
     "[SERVICE] の ENDPOINT を空にするか、https://openapi.rakuten.co.jp/… のアドレスにしてくださ"
     "い。"},
}};

const FailureText& TextOf(Failure failure) {
  return *std::find_if(kFailures.begin(), kFailures.end(),
                       [&](const FailureText& text) { return text.failure == failure; });
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

CheckOutcome Answered(int result, std::string log, std::string brief, std::string url,
                      std::optional<int> found) {
  return {.result = result,
          .answered = true,
          .log = std::move(log),
          .brief = std::move(brief),
          .url = std::move(url),
          .found = found};
}

CheckOutcome Failed(int result, Failure failure, std::string url, const std::string& said,
                    int status, const std::string& details) {
  const FailureText& text = TextOf(failure);
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

CheckOutcome Skipped(int result, std::string why) {
  return {.result = result, .log = std::move(why), .brief = "確認していません"};
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

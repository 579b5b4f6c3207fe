#include "service/outcome_text.h"

#include <string_view>

#include "base/visible_text.h"

namespace service {

// Every switch here names each value of its enumeration and has no default, and this file is
// built with -Werror=switch: a new failure, verdict or rule does not build without its words.

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

// The rule a keyword breaks, as the cause begins: "語「G」: " and the rule.
std::string RuleText(const KeywordProblem& problem) {
  std::string rule;
  switch (problem.rule) {
    case KeywordRule::kNoWords:
      rule = "キーワードに語がありません";
      break;
    case KeywordRule::kTooWide:
      rule = "キーワード全体は半角換算で" + std::to_string(kMaxKeywordWidth) + "文字までです(今は" +
             std::to_string(problem.width) + "文字)";
      break;
    case KeywordRule::kKanaOrSymbolAlone:
      rule = "ひらがな・カタカナ・記号だけの語は2文字以上必要です";
      break;
    case KeywordRule::kHalfWidthAlone:
      rule = "半角の語は2文字以上必要です(全角なら1文字から)";
      break;
  }
  return (problem.word.empty() ? "" : "語「" + problem.word + "」: ") + rule + "。";
}

// What the HTTP layer's failure tells of a network failure, before the table's cause.
const char* NetworkDetails(platform::http::HttpFailure kind) {
  using platform::http::HttpFailure;
  switch (kind) {
    case HttpFailure::kName:
      return "サーバーの名前を解決できませんでした。";
    case HttpFailure::kConnection:
      return "サーバーに接続できないか、接続が途中で切れました。";
    case HttpFailure::kCertificate:
      return "サーバーの証明書が受け付けられませんでした（時計のずれ、途中のプロキシなど）。";
    case HttpFailure::kTimeout:
      return "時間内に答えが届きませんでした。";
    case HttpFailure::kTooLarge:
      return "答えが大きすぎて受け取れませんでした。";
    case HttpFailure::kRedirect:
    case HttpFailure::kOther:
      return "";
  }
  return "";
}

// Details of the case in Japanese that stand before the table's cause.
std::string Details(const CheckOutcome& outcome) {
  if (outcome.keywordProblem) return RuleText(*outcome.keywordProblem);
  switch (*outcome.failure) {
    case Failure::kNoKnownVersion:
      return "版 " + outcome.retiredVersion + " は廃止されています。";
    case Failure::kRedirectRefused:
      return "転送先: " + outcome.said + "。";
    case Failure::kNetwork:
      return outcome.httpFailure ? NetworkDetails(*outcome.httpFailure) : "";
    case Failure::kRetiredVersion:
    case Failure::kIpNotAllowed:
    case Failure::kReferrerMissing:
    case Failure::kReferrerNotAllowed:
    case Failure::kCredentials:
    case Failure::kKeywordRefused:
    case Failure::kKeywordRule:
    case Failure::kTooManyRequests:
    case Failure::kServiceDown:
    case Failure::kServiceError:
    case Failure::kUnreadable:
    case Failure::kBadEndpoint:
    case Failure::kRetiredHost:
    case Failure::kBadMinPrice:
    case Failure::kFloorNotBelowPrice:
    case Failure::kNgKeywordRule:
      return "";
  }
  return "";
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

struct Words {
  std::string head;
  std::string brief;
};

Words CountWords(int count, const std::optional<CheapestMatch>& cheapest) {
  if (count <= 0) return {"nothing found", "該当なし"};
  std::string brief = "該当 " + std::to_string(count) + "件";
  if (cheapest && cheapest->price) brief += " 最安 " + YenText(*cheapest->price);
  return {"count " + std::to_string(count), brief};
}

Words SaleWords(int state, SaleSource source) {
  switch (state) {
    case 1:
      return {"sale running", "タイムセール中"};
    case -2:
      return {"sale ended", "タイムセール終了"};
    case 0:
      return source == SaleSource::kService ? Words{"no time sale", "タイムセールなし"}
                                            : Words{"other badge", "ほかの表示"};
    default:
      return {"no badge", "表示なし"};
  }
}

const char* SkipWords(Skip why) {
  switch (why) {
    case Skip::kDisarmed:
      return "skipped: disarmed";
    case Skip::kNoKeyword:
      return "skipped: no keyword";
    case Skip::kBadPrice:
      return "skipped: bad price";
    case Skip::kNoKeywordBadPrice:
      return "skipped: no keyword, bad price";
  }
  return "";
}

// What the log adds when another version of the service stood in for a retired one.
std::string VersionNote(const StandInVersion& standIn) {
  return " — 版 " + standIn.retired + " は廃止されているため " + standIn.answering +
         " に問い合わせました。ENDPOINT を " + standIn.endpoint +
         " に変えてください（空なら既定の版）。";
}

constexpr char kNotChecked[] = "確認していません";

OutcomeText FailureWords(const CheckOutcome& outcome) {
  const FailureText text = TextOf(*outcome.failure);
  std::string head = text.head;
  if (outcome.status != 0 && outcome.failure != Failure::kUnreadable) {
    head += " " + std::to_string(outcome.status);
  }
  if (!outcome.said.empty()) head += ": " + outcome.said;
  const std::string cause = Details(outcome) + text.cause;
  return {.head = head,
          .log = head + " — 原因: " + cause + " 対処: " + text.fix,
          .brief = std::string("確認できません: ") + text.brief,
          .cause = cause,
          .fix = text.fix};
}

OutcomeText Told(Words words) {
  return {.head = words.head, .log = words.head, .brief = std::move(words.brief)};
}

OutcomeText VerdictWords(const CheckOutcome& outcome) {
  const int found = outcome.found.value_or(0);
  switch (outcome.verdict) {
    case Verdict::kCounted:
      return Told(CountWords(found, outcome.cheapest));
    case Verdict::kListed:
      return found > 0
                 ? Told({"listed " + std::to_string(found), std::to_string(found) + "件を表示"})
                 : Told({"nothing found", "該当なし"});
    case Verdict::kSaleRead:
      return Told(SaleWords(outcome.found.value_or(-1), outcome.saleSource));
    case Verdict::kNothingBelowOneYen:
      return Told({"nothing found: no price below 1 yen", "該当なし（上限価格が1円未満）"});
    case Verdict::kFailed:
      return outcome.failure ? FailureWords(outcome) : Told({"", ""});
    case Verdict::kSkipped:
      return Told({SkipWords(outcome.skip), kNotChecked});
    case Verdict::kNotAsked:
      return Told({"not asked: " + outcome.said, kNotChecked});
  }
  return {};
}

}  // namespace

OutcomeText TextOf(const CheckOutcome& outcome) {
  OutcomeText text = VerdictWords(outcome);
  if (outcome.standIn) text.log += VersionNote(*outcome.standIn);
  return text;
}

std::string UserText(const CheckOutcome& outcome, std::string_view lineEnd) {
  const OutcomeText text = TextOf(outcome);
  const std::string brief = VisibleText(text.brief);
  if (text.cause.empty()) return brief;
  const std::string end(lineEnd);
  return brief + end + "原因: " + VisibleText(text.cause) + end + "対処: " + VisibleText(text.fix);
}

std::string MatchNotice(const CheapestMatch& match) {
  return Shown(match.name, kShownNameBytes) + "\n" + PriceAndShop(match);
}

std::string MatchLine(const CheapestMatch& match) {
  return PriceAndShop(match) + " — " + Shown(match.name) + " — " + Shown(match.address);
}

}  // namespace service

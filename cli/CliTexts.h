// The texts of tolvane-cli itself (UTF-8; the terminal is UTF-8). The engine's texts come
// from engine/JobTexts.h and are converted from CP932 on their way out.
#pragma once

namespace tolvane::cli::txt {

inline constexpr char kUsage[] =
    "使い方:\n"
    "  tolvane-cli check [アカウント] [--json [--raw]] [--quiet] [--yes]\n"
    "  tolvane-cli delete UIDL... [--yes] [--json]\n"
    "  tolvane-cli accounts [--json]\n"
    "  tolvane-cli password アカウント [--file]\n"
    "  tolvane-cli login アカウント [--no-browser]\n"
    "\n"
    "  check     "
    "有効なすべてのアカウント（またはアカウントを指定すると、無効でもそのアカウント）の\n"
    "            受信確認を行い、メールの一覧を表示します。\n"
    "  delete    すべてのアカウントの受信確認の後、指定した UIDL "
    "のメールをメールサーバーから削除し、\n"
    "            その後の受信確認の一覧を表示します。\n"
    "  accounts  アカウントの一覧と設定を表示します（パスワードは表示しません）。\n"
    "  password  アカウントのパスワードを標準入力から読み込み（端末では表示しません）、\n"
    "            キーリングに保存します。\n"
    "  login     OAuth 2.0 のアカウントにブラウザーでサインインします。認可の URL を\n"
    "            標準出力に1行で表示し、5分間サインインの完了を待ちます。\n"
    "\n"
    "  --json    一覧を JSON で出力します。\n"
    "  --raw     JSON に from_cp932, subject_cp932, body_cp932（CP932 "
    "のバイト列の16進）を加えます。\n"
    "  --quiet   接続ログを標準エラー出力に表示しません。\n"
    "  --yes     確認の質問にすべて OK と答えます。\n"
    "  --file    password: キーリングではなく設定ファイルに保存します。\n"
    "  --no-browser  login: ブラウザーを開かず、URL の表示だけを行います。\n"
    "  -h, --help  この説明を表示します。\n"
    "\n"
    "  Ctrl+C を1回押すと処理中のアカウントの受信確認を中止し、2回押すと直ちに終了します。\n"
    "\n"
    "終了ステータス: 0 すべてのアカウントを確認できた,\n"
    "  1 確認できなかった（または中止した）アカウントか、保存できなかったメール情報がある,\n"
    "  2 使い方・設定の誤り（何も削除していません）, 3 トルヴェインが同じユーザーで動作中,\n"
    "  130 Ctrl+C を2回押して終了した\n";

inline constexpr char kSeeHelp[] = "詳しくは tolvane-cli --help を参照してください。\n";
inline constexpr char kNoCommand[] = "コマンドを指定してください。\n";
inline constexpr char kUnknownCommand[] = "不明なコマンドです: %s\n";
inline constexpr char kUnknownOption[] = "不明なオプションです: %s\n";
inline constexpr char kOptionNotHere[] = "オプション %s は %s コマンドでは使えません。\n";
inline constexpr char kRawNeedsJson[] = "--raw は --json と一緒に指定してください。\n";
inline constexpr char kTooManyArguments[] = "引数が多すぎます: %s\n";
inline constexpr char kNoUidl[] = "削除するメールの UIDL を指定してください。\n";
inline constexpr char kNoAccountGiven[] = "パスワードを設定するアカウントを指定してください。\n";
inline constexpr char kNoLoginAccount[] = "サインインするアカウントを指定してください。\n";

// tolvane-cli password (%s: the account).
inline constexpr char kPasswordPrompt[] = "「%s」のパスワード: ";
inline constexpr char kPasswordEmpty[] = "パスワードが入力されていません。何も変更していません。\n";
inline constexpr char kPasswordTooLong[] = "パスワードが長すぎます。何も変更していません。\n";
inline constexpr char kPasswordToKeyring[] = "「%s」のパスワードをキーリングに保存しました。\n";
inline constexpr char kPasswordToFile[] = "「%s」のパスワードを設定ファイルに保存しました。\n";
// %s: the account, the keyring's words.
inline constexpr char kPasswordNoKeyring[] =
    "キーリングに接続できないため、「%s」のパスワードを保存できませんでした（%s）。\n"
    "設定ファイルに保存するには --file を指定してください。\n";
inline constexpr char kPasswordKeyringFailed[] =
    "「%s」のパスワードをキーリングに保存できませんでした（%s）。何も変更していません。\n";
inline constexpr char kPasswordNotWritten[] =
    "「%s」のパスワードの保存場所を設定ファイルに書き込めませんでした。\n";

inline constexpr char kInstanceRunning[] =
    "トルヴェインが同じユーザーで動作中のため、実行できません。\n";
inline constexpr char kLockUnavailable[] = "ロックファイルを作成できません: %s\n";
inline constexpr char kCreateFailed[] = "アカウントを読み込めませんでした。\n";
inline constexpr char kNoAccounts[] = "アカウントが設定されていません。\n";
inline constexpr char kUnknownAccount[] = "アカウント「%s」は設定されていません。\n";
inline constexpr char kWorkerFailed[] = "受信確認の処理を開始できませんでした。\n";
inline constexpr char kUnknownUidl[] = "UIDL「%s」のメールは見つかりませんでした。\n";
inline constexpr char kNothingDeleted[] = "メールは削除していません。\n";
inline constexpr char kNotDeleted[] = "UIDL「%s」のメールは削除できませんでした。\n";
inline constexpr char kDeleteDeclined[] = "メールの削除を中止しました。\n";
inline constexpr char kCancelling[] =
    "受信確認を中止しています…（もう一度 Ctrl+C を押すと直ちに終了します）\n";

inline constexpr char kAnswerPrompt[] = "よろしいですか？ [y/N]: ";
inline constexpr char kAnsweredYes[] = "→ OK（--yes）\n";
inline constexpr char kAnsweredNoTerminal[] =
    "→ キャンセル（端末がないため。--yes を指定すると OK と答えます）\n";
inline constexpr char kMessagePrefix[] = "トルヴェイン: ";

// Words of the human list.
inline constexpr char kStateNew[] = "新着";
inline constexpr char kStateKnown[] = "既知";
inline constexpr char kStateExpired[] = "期限切れ";
inline constexpr char kStateGone[] = "消去";
inline constexpr char kEnabled[] = "有効";
inline constexpr char kDisabled[] = "無効";
inline constexpr char kNewOnly[] = "新着のみ";
inline constexpr char kAllMails[] = "すべて";
inline constexpr char kSimpleDelete[] = "簡易削除";
inline constexpr char kVerifiedDelete[] = "確認削除";
inline constexpr char kDecodeAll[] = "全形式デコード";
inline constexpr char kDecodeJisOnly[] = "JISのみデコード";
inline constexpr char kSecurityNone[] = "暗号化なし";
inline constexpr char kSecurityStls[] = "STLS";
inline constexpr char kSecurityPop3s[] = "SSL/TLS";
inline constexpr char kSecurityUnknown[] = "暗号化不明";
inline constexpr char kCertificateChecked[] = "証明書確認あり";
inline constexpr char kCertificateUnchecked[] = "証明書確認なし";
inline constexpr char kPipelining[] = "先行送信";
// login
inline constexpr char kLoginNotOAuth[] =
    "「%s」は OAuth 2.0 で認証するアカウントではありません。何も変更していません。\n";
inline constexpr char kLoginSettings[] =
    "「%s」の OAuth 2.0 の設定が足りません（%s）。アカウントの設定を確認してください。\n";
inline constexpr char kLoginNoProvider[] = "プロバイダー";
inline constexpr char kLoginNoClient[] = "クライアント ID";
inline constexpr char kLoginNoEndpoints[] = "認可とトークンの URL、スコープ";
inline constexpr char kLoginNoListener[] =
    "サインインを始められませんでした（ブラウザーからの戻り先を用意できません）。\n";
inline constexpr char kLoginInBrowser[] =
    "ブラウザーでサインインしてください。ブラウザーが開かない場合は、上の URL を開いてください。"
    "5分間待ちます（Ctrl+C で中止します）。\n";
inline constexpr char kLoginDone[] = "「%s」にサインインしました。\n";
inline constexpr char kLoginRefused[] = "「%s」のサインインは拒否されました。%s\n";
inline constexpr char kLoginTimedOut[] = "「%s」のサインインが5分以内に完了しませんでした。\n";
inline constexpr char kLoginCancelled[] = "「%s」のサインインを中止しました。\n";
inline constexpr char kLoginFailed[] = "「%s」にサインインできませんでした。%s\n";
inline constexpr char kLoginNotStored[] =
    "「%s」のサインインはできましたが、トークンをキーリングに保存できませんでした。\n";

inline constexpr char kPasswordInFile[] = "パスワード:設定ファイル";
inline constexpr char kPasswordInKeyring[] = "パスワード:キーリング";
inline constexpr char kPasswordByCommand[] = "パスワード:コマンド";
inline constexpr char kPasswordUnknown[] = "パスワード:不明";
inline constexpr char kOneAtATime[] = "逐次送信";

} // namespace tolvane::cli::txt

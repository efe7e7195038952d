// The engine's string table: every log text, progress text and question of the jobs, the
// worker and the document, in UTF-8 source form. They reach the log and the host as CP932
// through SjisFormat (platform/Texts.h).
#pragma once

#include "platform/Texts.h"

namespace tolvane::txt {

// Connection steps (%s: account name).
inline constexpr char kConnecting[] = "%sへ接続中です。\r\n";
inline constexpr char kConnectTimeout[] =
    "%sから応答がないため、接続を中止します。（メールサーバーのアドレスを確認、または、タイムアウト"
    "の値を増やしてください。）\r\n";
inline constexpr char kStopCheck[] =
    "%sへの受信メールの確認を中止します。\r\n…中止処理を行っています。\r\n";
inline constexpr char kConnectFailed[] = "%sに接続できませんでした。接続を中止します。（メールサー"
                                         "バーのアドレスを見直してください。）\r\n";
inline constexpr char kConnected[] = "%sへ接続しました。\r\n";
inline constexpr char kLoginTimeout[] =
    "%sから応答がないため、ログインを中止します。（タイムアウトの値を増やしてください。）\r\n";
inline constexpr char kLoginRefused[] =
    "%sへログインできませんでした。（ユーザー名、パスワードを見直してください。）\r\n";
inline constexpr char kLoginLocked[] =
    "%sへログインできませんでした。（すでにログインされています。）\r\n";
inline constexpr char kLoginLineFault[] =
    "%sへの接続中に回線異常が発生しました。処理を中止します。\r\n";
inline constexpr char kLoggedOut[] = "%sからログアウトしました。\r\n";
inline constexpr char kLogoutFailed[] = "%sからのログアウトに失敗しました。\r\n";

// Encrypted connections (%s first: account name).
inline constexpr char kStlsRefused[] =
    "%sのメールサーバーはSTLSに対応していないため、接続を中止しま"
    "す。（暗号化の設定を見直してください。）\r\n";
inline constexpr char kStlsExtraData[] =
    "%sのメールサーバーがSTLSの応答に続けて暗号化されないデータを"
    "送ってきたため、接続を中止します。\r\n";
// %s: account name, reason (below), the certificate's subject.
inline constexpr char kCertificateRefused[] =
    "%sのサーバー証明書を確認できないため、接続を中止します。（理由：%s、証明書：%s）\r\n";
// %s: account name, the TLS library's words.
inline constexpr char kTlsFailed[] =
    "%sとの暗号化通信を開始できないため、接続を中止します。（%s）\r\n";
// %s: account name; %d: the stored value.
inline constexpr char kSecurityUnknown[] =
    "%sの暗号化の設定（%d）が正しくないため、接続を中止します。"
    "（アカウントの設定を見直してください。）\r\n";
inline constexpr char kClearTextPassword[] =
    "%sへのパスワードは暗号化されずに送信されます。（暗号化の"
    "設定を見直してください。）\r\n";
// SASL login (%s first: account name).
inline constexpr char kAuthenticationUnknown[] =
    "%sの認証方式の設定（%d）が正しくないため、接続を中止します。"
    "（アカウントの設定を見直してください。）\r\n";
inline constexpr char kPlainNeedsTls[] =
    "%sへのPLAIN認証は暗号化されない接続では行わないため、ログインを中止します。（暗号化の"
    "設定を見直してください。）\r\n";
inline constexpr char kOAuthNeedsTls[] =
    "%sへのアクセストークンは暗号化されない接続では送らないため、ログインを中止します。（暗号化の"
    "設定を見直してください。）\r\n";
// %s: account name, the mechanisms asked for.
inline constexpr char kSaslNotOffered[] =
    "%sのメールサーバーは%s認証に対応していないため、ログインを中止します。（認証方式の"
    "設定を見直してください。）\r\n";
// %s: account name, "AUTH MECH"; the response line itself is never logged.
inline constexpr char kSaslLogin[] = "%sへ%sでログインします。（応答：＊＊＊＊）\r\n";
inline constexpr char kOAuthRefused[] =
    "%sへOAuth 2.0でログインできませんでした。（アクセストークンが拒否されました。）\r\n";
inline constexpr char kOAuthSignIn[] =
    "%sへログインするには、もう一度サインインしてください。（リフレッシュトークンがないか、"
    "拒否されました。）\r\n";
inline constexpr char kOAuthTokenFailed[] =
    "%sのアクセストークンを取得できなかったため、ログインを中止します。\r\n";
inline constexpr char kReasonUntrusted[] = "信頼されていない発行元の証明書です";
inline constexpr char kReasonExpired[] = "証明書の有効期限が切れています";
inline constexpr char kReasonNotYetValid[] = "証明書の有効期間がまだ始まっていません";
inline constexpr char kReasonHostMismatch[] = "証明書がサーバー名%sのものではありません";
inline constexpr char kReasonRevoked[] = "証明書は失効しています";
inline constexpr char kReasonOther[] = "証明書を検証できません（%s）";
inline constexpr char kUnknownSubject[] = "不明";

// The login's password (%s first: account name). Each says why the account stops and what
// to do about it.
inline constexpr char kKeyringNone[] =
    "%sのパスワードを保存しているキーリングに接続できないため、ログインを中止します。（%s。"
    "デスクトップのキーリングが動作しているか確認するか、tolvane-cli password --file で"
    "パスワードを設定ファイルに保存してください。）\r\n";
inline constexpr char kKeyringLocked[] =
    "%sのパスワードを保存しているキーリングがロックされているため、ログインを中止します。"
    "（キーリングのロックを解除してから、もう一度受信確認をしてください。）\r\n";
inline constexpr char kKeyringNotFound[] =
    "%sのパスワードがキーリングに見つからないため、ログインを中止します。（アカウントの設定で"
    "パスワードを入力し直すか、tolvane-cli password %s で設定してください。）\r\n";
// %d: seconds.
inline constexpr char kKeyringTimeout[] =
    "%sのパスワードを読み込もうとしましたが、キーリングから%d秒以内に応答がないため、ログインを"
    "中止します。（キーリングのロックを解除してから、もう一度受信確認をしてください。）\r\n";
// %s: account, the keyring's words.
inline constexpr char kKeyringFailed[] =
    "%sのパスワードをキーリングから読み込めないため、ログインを中止します。（%s）\r\n";
inline constexpr char kCommandEmpty[] =
    "%sのパスワードを取得するコマンド（PasswordCommand）が設定されていないため、ログインを中止"
    "します。（アカウントの設定を見直してください。）\r\n";
// %s: account, the system's reason.
inline constexpr char kCommandNotStarted[] =
    "%sのパスワードを取得するコマンドを実行できないため、ログインを中止します。（%s）\r\n";
// %d: the exit status, the signal.
inline constexpr char kCommandFailed[] =
    "%sのパスワードを取得するコマンドが終了ステータス%dで失敗したため、ログインを中止します。"
    "（PasswordCommand を見直してください。）\r\n";
inline constexpr char kCommandKilled[] =
    "%sのパスワードを取得するコマンドがシグナル%dで終了したため、ログインを中止します。"
    "（PasswordCommand を見直してください。）\r\n";
inline constexpr char kCommandTimeout[] =
    "%sのパスワードを取得するコマンドが%d秒以内に終了しないため、コマンドを停止してログインを"
    "中止します。（PasswordCommand を見直すか、タイムアウトの値を増やしてください。）\r\n";
inline constexpr char kCommandNoOutput[] =
    "%sのパスワードを取得するコマンドがパスワードを出力しなかったため、ログインを中止します。"
    "（PasswordCommand を見直してください。）\r\n";
inline constexpr char kCommandTooLong[] =
    "%sのパスワードを取得するコマンドの出力の1行目が長すぎるため、ログインを中止します。"
    "（PasswordCommand を見直してください。）\r\n";
// %d: the stored value.
inline constexpr char kPasswordStoreUnknown[] =
    "%sのパスワードの保存場所の設定（PasswordStore=%d）が正しくないため、ログインを中止します。"
    "（0、1、2のいずれかを設定してください。）\r\n";

inline constexpr char kPasswordTooLong[] =
    "%sのパスワードが長すぎるため、ログインを中止します。（パスワードを見直してください。）\r\n";

// Moving passwords from the settings file into the keyring at start.
inline constexpr char kPasswordMoved[] =
    "%sのパスワードを設定ファイルからキーリングへ移しました。\r\n";
// %s: the reason (the keyring's words).
inline constexpr char kKeyringAbsent[] =
    "キーリングに接続できないため、パスワードは設定ファイルに保存したままにします。（%s）\r\n";
// %s: account, the reason.
inline constexpr char kPasswordNotMoved[] =
    "%sのパスワードをキーリングへ移せなかったため、設定ファイルに保存したままにします。（%s）"
    "\r\n";
inline constexpr char kPasswordTooLongWords[] = "パスワードが長すぎます";
inline constexpr char kNoPasswordGiven[] = "パスワードが入力されていません";
inline constexpr char kSecretMismatch[] = "キーリングから読み戻したパスワードが一致しません";
inline constexpr char kMoveNotWritten[] =
    "パスワードはキーリングに保存しましたが、設定ファイルを書き換えられませんでした";

// Check job.
inline constexpr char kReceiveFailed[] = "%sからメール情報の受信ができませんでした。\r\n";
inline constexpr char kNoMail[] = "%sに受信メールはありませんでした。\r\n";
inline constexpr char kMailsWaiting[] = "%sに%u通のメールが届いています。\r\n";
inline constexpr char kNewMails[] = "%sに%u通の新着メールが届いています。\r\n";
inline constexpr char kNoNewMail[] = "%sに新着メールは届いていませんでした。\r\n";
inline constexpr char kReading[] = "%sからメール情報を読み込んでいます。\r\n";
inline constexpr char kNewOnlyUnsupported[] =
    "%s のメールサーバーでは「新着メールのみ受信」機能は使用できません。\r\n";
inline constexpr char kCheckProgress[] = "の受信確認中 "; // prefix（name + this + i／n）
inline constexpr char kCounter[] = "%ld／%ld";
inline constexpr char kOpenBracket[] = "（";
inline constexpr char kCloseBracket[] = "）";

// Deletion job.
inline constexpr char kDeleted[] = "%sから「%s」を削除しました。\r\n";
inline constexpr char kDeleteFailed[] = "%sからの「%s」の削除に失敗しました。\r\n";
inline constexpr char kStopDelete[] = "%sからの削除を中止します。\r\n";
inline constexpr char kDeleteListFailed[] =
    "%sから削除情報の読み込みができませんでした。\r\n %sの削除処理を中止します。\r\n";
inline constexpr char kDeleteInfoFailed[] =
    "%sへの削除情報の作成が失敗しました。\r\n%sの削除処理を中止します。\r\n";
inline constexpr char kAskContentChanged[] =
    "%sのメールサーバーの内容が更新されています。\n削除を続行してもよろしいですか？\n\n参考\n  "
    "削除対象のメールがメールサーバーから見つからない場合は、\n  "
    "「見つからないメール」があることを表示します。";
inline constexpr char kDeleteDeclined[] =
    "ユーザーにより、%sからのメールの削除が中止されました。\r\n";
inline constexpr char kNotFound[] =
    "%sから「%s」が見つかりませんでした。削除できませんでした。\r\n";
inline constexpr char kRestoring[] = "%sからの削除したメールを元に戻しています。\r\n";
inline constexpr char kDeletedCount[] = "%sから%u通のメールを削除しました。\r\n\r\n";
inline constexpr char kSimpleDeleting[] = "%sから簡易モードでメールを削除しています。\r\n";
inline constexpr char kSimpleContentChanged[] =
    "%sのメールサーバーの内容が更新されているため、メールの削除ができませんでした。\r\n";
inline constexpr char kSimpleDeleted[] = "%sから簡易モードで%u通のメールを削除しました。\r\n";
inline constexpr char kDeleteProgress[] = "の削除処理中 ";
inline constexpr char kNoExpired[] = "%sに指定日数を経過したメールはありませんでした。\r\n";
inline constexpr char kAskExpire[] =
    "%sに指定日数を経過したメールが%u通あります。\n指定日数を経過したメールの削除を行いますか？";
inline constexpr char kExpireDeclined[] =
    "%sからの指定日数を経過したメールの削除を中止しました。\r\n";
inline constexpr char kExpireStart[] = "%sから指定日数を経過したメールの削除を開始します。\r\n";
inline constexpr char kExpirePrefix[] = "期限切れメールの削除";
inline constexpr char kExpired[] = "%sから%u通の指定日数を経過したメールを削除しました。\r\n";

// Reload job.
inline constexpr char kReloadProgress[] = "の再読み込み処理中 ";
inline constexpr char kReloading[] = "「%s」を再読み込みしています。\r\n";
inline constexpr char kStopReload[] = "%sからの再読み込みを中止します。\r\n";
// %s: the account, then the subject.
inline constexpr char kReloadNotFound[] =
    "%sから「%s」が見つかりませんでした。再読み込みできませんでした。\r\n";

// Worker.
inline constexpr char kTimeStampFormat[] = "%Y年 %m月 %d日 %H:%M"; // strftime
inline constexpr char kCheckStart[] = "  受信メールの確認をします。\r\n";
inline constexpr char kCheckDone[] = "受信メールの確認が完了しました。\r\n\r\n";
inline constexpr char kCancelMenu[] = "受信確認を中止する(&Q)\tCtrl+B";
inline constexpr char kCancelMenuAccount[] = "の受信確認を中止する(&Q)\tCtrl+B";
inline constexpr char kTitleChecking[] = "の受信確認中）";
inline constexpr char kTitleDeleting[] = "の削除処理中）";
inline constexpr char kTitleReloading[] = "の再読み込み処理中）";
inline constexpr char kDeleteStart[] = "  メールの削除を開始します。\r\n";
inline constexpr char kDeleteAccountFailed[] = "%sのメール削除処理ができませんでした。\r\n";
inline constexpr char kDeleteIncomplete[] = "%sのメール削除処理が完了できませんでした。\r\n";
inline constexpr char kDeleteDone[] = "メールの削除が完了しました。\r\n\r\n";
inline constexpr char kReloadStart[] = "  選択されたメールの表示行数の再読み込みを開始します。\r\n";
inline constexpr char kReloadAccountFailed[] =
    "%sからのメール再読み込み処理ができませんでした。\r\n";
inline constexpr char kReloadIncomplete[] =
    "%sからのメール再読み込み処理が完了できませんでした。\r\n";
inline constexpr char kReloadDone[] = "再読み込みを完了しました。\r\n\r\n";

// Document: a store that could not be saved (%s: account, file, the system's reason).
inline constexpr char kStoreSaveFailed[] =
    "%sの受信済みメールの情報をファイル[%s]に保存できませんでした。（%s）\r\n"
    "次回の受信確認では、受信済みのメールが新着メールとして表示されることがあります。\r\n";

// Document: the question of the deletion request.
inline constexpr char kAskDeleteMarked[] =
    "チェックがついているメールをメールサーバーから\n削除してもよろしいですか？\n\n注意\n  "
    "削除したメールは元に戻せません。";

// Document: accounts of the settings that could not be loaded (%s: the name as the settings
// file holds it, control characters written as \xNN).
inline constexpr char kAccountNameControl[] =
    "アカウント「%s」は名前に制御文字が含まれているため、読み込みませんでした。\r\n";
inline constexpr char kAccountNameNotCp932[] =
    "アカウント「%s」は名前にシフトJISで表せない文字が含まれているため、読み込みませんでした。"
    "\r\n";
inline constexpr char kAccountNameTooLong[] =
    "アカウント「%s」は名前が255バイトを超えるため、読み込みませんでした。\r\n";

} // namespace tolvane::txt

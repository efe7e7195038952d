// The string table of the settings' dialogs: the account dialog, the reload-lines dialog,
// the options sheet and the mail count report window, in UTF-8 source form. The dialogs
// take them through Tr() (app/widgets/QtText.h); texts that reach the engine or the
// message interface are converted to CP932 there.
//
// Grouped by window; each window's texts live in its own block.
#pragma once

namespace tolvane::gui::txt {

// Account settings dialog.
inline constexpr char kAccountDialogTitle[] = "アカウント設定";
inline constexpr char kAccountListLabel[] = "アカウント一覧：";
inline constexpr char kAccountInfoGroup[] = "アカウント情報";
inline constexpr char kAccountNameLabel[] = "アカウント名(&A)：";
inline constexpr char kServerLabel[] = "POPメールサーバーアドレス(&S)：";
inline constexpr char kUserLabel[] = "ログインユーザー名(&U)：";
inline constexpr char kPasswordLabel[] = "ログインパスワード(&P)：";
inline constexpr char kPortLabel[] = "ポート番号(&N)：";
inline constexpr char kSecurityLabel[] = "暗号化(&E)：";
// How the account logs in: its password, or OAuth 2.0 through the browser.
inline constexpr char kAuthenticationLabel[] = "認証方式(&U)：";
inline constexpr char kAuthPassword[] = "パスワード";
inline constexpr char kAuthOAuth[] = "OAuth 2.0";
inline constexpr char kProviderLabel[] = "プロバイダー(&V)：";
inline constexpr char kProviderMicrosoft[] = "Microsoft (Outlook.com, Microsoft 365)";
inline constexpr char kProviderGoogle[] = "Google (Gmail)";
inline constexpr char kProviderOther[] = "その他（設定ファイルで指定）";
inline constexpr char kClientIdLabel[] = "クライアント ID(&O)：";
inline constexpr char kClientSecretLabel[] = "クライアント シークレット(&R)：";
inline constexpr char kClientSecretHint[] = "（Google のデスクトップ アプリのみ）";
inline constexpr char kSignInButton[] = "サインイン(&I)...";
inline constexpr char kSecurityNone[] = "なし";
inline constexpr char kSecurityStls[] = "STLS";
inline constexpr char kSecurityPop3s[] = "SSL/TLS (POP3S)";
inline constexpr char kExtraGroup[] = "追加設定情報";
inline constexpr char kLinesLabel[] = "メール内容を表示する行数(&L)：";
inline constexpr char kTimeoutLabel[] = "サーバーのタイムアウト秒数(&T)：";
inline constexpr char kSimpleDeleteCheck[] = "簡易メール削除(&Q)";
inline constexpr char kNewMailOnlyCheck[] = "新着メールのみ受信する(&X)";
inline constexpr char kLimitDeleteCheck[] = "サーバーから削除する(&L)";
inline constexpr char kLimitDaysBefore[] = "受信してから";
inline constexpr char kLimitDaysAfter[] = "日後に削除する。";
inline constexpr char kConfirmLimitDeleteCheck[] = "削除の確認をする(&K)";
inline constexpr char kAddButton[] = "追加(&I)";
inline constexpr char kChangeButton[] = "変更(&C)";
inline constexpr char kDeleteButton[] = "削除(&D)";
inline constexpr char kCloseButton[] = "閉じる";
// Accessible names of the controls that have no label of their own.
inline constexpr char kLimitDaysName[] = "削除するまでの日数";
// Messages (warning icon unless said otherwise).
inline constexpr char kNameRange[] = "アカウント名は1から255文字を入力してください。";
inline constexpr char kServerRange[] = "メールサーバーアドレスは1から255文字を入力してください。";
inline constexpr char kUserRange[] = "ログインユーザー名は1から255文字を入力してください。";
inline constexpr char kPasswordRange[] = "ログインパスワードは1から255文字を入力してください。";
inline constexpr char kClientIdRange[] = "クライアント ID を入力してください。";
inline constexpr char kPortRange[] = "ポート番号は1から65535までを入力してください。";
inline constexpr char kLinesRange[] = "受信行数は0から999までを入力してください。";
inline constexpr char kTimeoutRange[] = "タイムアウト秒数は1から9999までを入力してください。";
inline constexpr char kDaysRange[] = "日数は1から9999までを入力してください。";
// A name the settings file or the log could not hold as typed.
inline constexpr char kNameCharacters[] =
    "アカウント名には「\\」、制御文字、シフトJISで表せない文字は使用できません。";
inline constexpr char kDuplicateName[] = "すでに同じアカウント名が登録されています。";
inline constexpr char kChangeNotFound[] =
    "変更するアカウント名がアカウント一覧から見つかりません。";
inline constexpr char kDeleteNotFound[] =
    "削除するアカウント名がアカウント一覧から見つかりません。";
inline constexpr char kServerChanged[] =
    "メールサーバーアドレスが変更されています。\n\nこの変更を反映すると変更前のメールサーバーアドレ"
    "スで\n"
    "受信したメール情報が受信メール一覧から表示が消えます\nがよろしいですか？";
// %s: the account name (CP932).
inline constexpr char kDeleteQuestion[] = "%sのサーバー情報を削除してもよろしいですか？\n\n注意\n"
                                          "  削除すると、受信メール一覧から、このアカウント名で\n"
                                          "  表示しているメール情報が消えます。";
// The worker reads the accounts without a lock while it checks.
inline constexpr char kAccountsBusy[] =
    "メールの受信中はアカウントの設定を変更できません。\n受信が終わってから操作してください。";
// The password field of an account whose password lives outside the settings file: left
// empty, the password stays where it is.
inline constexpr char kPasswordInKeyring[] = "（キーリングに保存済み。変更するときだけ入力）";
inline constexpr char kPasswordByCommand[] = "（PasswordCommandで取得）";
// The keyring answered but refused; followed by its words. Nothing was changed.
inline constexpr char kKeyringFailed[] =
    "パスワードをキーリングに保存できなかったため、アカウントを変更しませんでした。\n"
    "キーリングのロックを解除してから、もう一度操作してください。";
// A removed account's password stayed in the keyring; followed by its words.
inline constexpr char kKeyringKept[] =
    "アカウントは削除しましたが、キーリングのパスワードを削除できませんでした。";

// The sign-in of an OAuth 2.0 account, while the browser has it.
inline constexpr char kSignInTitle[] = "サインイン";
inline constexpr char kSignInWaiting[] =
    "ブラウザーでサインインしてください（5分以内）。\n"
    "ブラウザーが開かないときは、次の URL をブラウザーで開いてください。";
// %s: the account name (CP932).
inline constexpr char kSignInDone[] = "%sにサインインしました。";
inline constexpr char kSignInRefused[] = "サインインは拒否されました。";
inline constexpr char kSignInTimedOut[] = "サインインが5分以内に完了しませんでした。";
inline constexpr char kSignInFailed[] = "サインインできませんでした。";
inline constexpr char kSignInNotStored[] =
    "サインインはできましたが、トークンをキーリングに保存できませんでした。\n"
    "キーリングのロックを解除してから、もう一度サインインしてください。";
inline constexpr char kSignInNoListener[] =
    "サインインを始められませんでした（ブラウザーからの戻り先を用意できません）。";
inline constexpr char kSignInSettings[] =
    "OAuth 2.0 の設定が足りません。プロバイダーとクライアント ID を確認してください。";
// %s: the account name (CP932). Asked once after a check found its sign-in gone.
inline constexpr char kSignInAsk[] =
    "%sは OAuth 2.0 のサインインが必要です。\n\nブラウザーでサインインしますか？";

// Reload-lines dialog.
inline constexpr char kReloadLinesTitle[] = "再読み込み行数の指定";
inline constexpr char kReloadLinesName[] = "再読み込みする行数";
inline constexpr char kReloadButton[] = "再読み込み(&R)";
inline constexpr char kCancelButton[] = "キャンセル(&C)";

// Options sheet.
inline constexpr char kOptionSheetTitle[] = "オプション設定";
inline constexpr char kOkButton[] = "OK";
inline constexpr char kSheetCancelButton[] = "キャンセル";
inline constexpr char kApplyButton[] = "適用";
// Page "全般".
inline constexpr char kEnvironmentTab[] = "全般";
inline constexpr char kStartExitGroup[] = "起動／終了時の設定";
inline constexpr char kFirstCheckBox[] = "起動時に受信確認を行う(&F)";
inline constexpr char kQuitConfirmBox[] = "常にトルヴェイン終了時の確認を行わない(&Q)";
inline constexpr char kCheckGroup[] = "確認の設定";
inline constexpr char kAutoCheckBox[] = "定期的に受信確認を行う(&C)";
inline constexpr char kMinutesSuffix[] = "分ごと";
inline constexpr char kSoundLabel[] = "受信メールがあった場合に音を鳴らす：";
inline constexpr char kSoundFileLabel[] = "ファイル名(&S)";
inline constexpr char kBrowseButton[] = "...";
inline constexpr char kSoundTestButton[] = "テスト";
inline constexpr char kNotifyBox[] = "新着メールを通知する(&T)";
inline constexpr char kAutostartBox[] = "ログイン時に起動する(&L)";
inline constexpr char kReportGroup[] = "メール数情報の設定";
inline constexpr char kAutoReportBox[] = "受信確認後、自動的にメール数の情報画面を表示する(&N)";
inline constexpr char kReportAlwaysRadio[] = "受信確認後、常に表示する(&A)";
inline constexpr char kReportHeldRadio[] = "受信メールがある場合のみ表示する(&B)";
inline constexpr char kAutoHideBox[] = "自動的に表示した情報画面を自動的に非表示する(&E)";
inline constexpr char kSecondsSuffix[] = "秒後に非表示する。";
inline constexpr char kIntervalRange[] = "自動チェックの間隔は1から60までを入力してください。";
inline constexpr char kHideRange[] = "自動非表示の間隔は1から999までを入力してください。";
inline constexpr char kSoundChooserTitle[] = "メールがある場合に鳴らす音を指定";
inline constexpr char kSoundFilter[] = "WAV形式 (*.wav)";
// Accessible names of the controls that have no label of their own.
inline constexpr char kIntervalName[] = "受信確認の間隔（分）";
inline constexpr char kHideSecondsName[] = "非表示までの秒数";
inline constexpr char kSoundBrowseName[] = "音のファイルを選ぶ";
inline constexpr char kSoundTestName[] = "音のテスト";
// Page "接続ログ".
inline constexpr char kConnectLogTab[] = "接続ログ";
inline constexpr char kSaveGroup[] = "保存の設定";
inline constexpr char kSaveLogBox[] = "接続ログをファイルへ保存する(&S)";
inline constexpr char kLogFileLabel[] = "ファイル名(&F)";
inline constexpr char kNextStartGroup[] = "次回起動時の設定";
inline constexpr char kOverwriteRadio[] = "前回、保存したログを上書きする(&R)";
inline constexpr char kAppendRadio[] = "前回、保存したログに追加する(&A)";
inline constexpr char kLogChooserTitle[] = "ログファイルを指定";
inline constexpr char kLogFilter[] = "TEXT形式 (*.log)";
inline constexpr char kLogBrowseName[] = "ログファイルを選ぶ";

// Mail count report window.
inline constexpr char kReportTitle[] = "受信メール数の情報";
inline constexpr char kReportFirstSummary[] = "10通の受信メールがあります。";
inline constexpr char kReportNoAccounts[] = "アカウント情報がありません。";
inline constexpr char kReportNoMail[] = "受信メールはありません。";
// Follows the total ("%d%s").
inline constexpr char kReportMails[] = "通の受信メールがあります。";
inline constexpr char kAlwaysTopBox[] = "常に手前に表示する(&T)";
inline constexpr char kShowMainButton[] = "トルヴェインを表示(&D)";
inline constexpr char kHideDetailsButton[] = "詳細を非表示(&I)";
inline constexpr char kShowDetailsButton[] = "詳細を表示(&I)";
inline constexpr char kReportCloseButton[] = "閉じる(&C)";
inline constexpr char kReportAccountColumn[] = "アカウント名";
inline constexpr char kReportCountColumn[] = "メール数";
inline constexpr char kReportSummaryName[] = "受信メール数";
inline constexpr char kReportListName[] = "アカウントごとのメール数";
// The count column of an account the latest check could not check.
inline constexpr char kReportFailed[] = "確認できません";

} // namespace tolvane::gui::txt

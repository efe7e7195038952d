// The GUI's string table: menu texts, dialog texts and messages of Tolvane's windows, in
// UTF-8 source form. Widgets take them through Tr() (app/QtText.h); texts that reach the
// engine or the message interface are converted to CP932 there.
//
// Grouped by window; each window's texts live in its own block.
#pragma once

namespace tolvane::gui::txt {

// Application.
inline constexpr char kAppName[] = "Tolvane";
inline constexpr char kCompanyName[] = "Orrindale";
inline constexpr char kProductTitle[] = "トルヴェイン";
inline constexpr char kMessageCaption[] = "トルヴェイン";
// The instance lock is held by another program of ours on the same data folder.
inline constexpr char kInstanceRunning[] =
    "ほかのトルヴェインのプログラム（tolvane-cli）が同じデータフォルダーで動作しているため、"
    "起動できません。\n終わるのを待ってから、もう一度起動してください。";
// %s: the lock file's path.
inline constexpr char kInstanceLockFailed[] = "ロックファイルを開けないため、起動できません。\n%s";

// Document.
inline constexpr char kTipChecking[] = "受信確認中";
inline constexpr char kTipDeleting[] = "削除中";
inline constexpr char kTipReloading[] = "選択メールを再読み込み中";
inline constexpr char kAskQuit[] = "トルヴェインを終了してもよろしいですか？";

// Main frame: menu bar.
inline constexpr char kMenuFile[] = "ファイル(&F)";
inline constexpr char kMenuView[] = "表示(&V)";
inline constexpr char kMenuAccount[] = "アカウント(&A)";
inline constexpr char kMenuTools[] = "ツール(&T)";
inline constexpr char kMenuHelp[] = "ヘルプ(&H)";
inline constexpr char kMenuInfoMode[] = "情報画面の表示選択(&P)";
inline constexpr char kMenuViewer[] = "ビューアで表示(&V)";
inline constexpr char kMenuColumns[] = "表示項目(&H)";
inline constexpr char kMenuCheck[] = "受信メールの確認(&N)";

inline constexpr char kSaveAll[] = "全ての受信メールをファイルへ保存(&S)...";
inline constexpr char kSaveAllPrompt[] = "全ての受信メール情報をファイルへ保存";
inline constexpr char kSaveSelected[] = "選択されている受信メールをファイルへ保存(&A)...";
inline constexpr char kSaveSelectedPrompt[] = "選択されている受信メール情報をファイルへ保存";
inline constexpr char kExit[] = "トルヴェインを終了する(&X)";
inline constexpr char kExitPrompt[] = "トルヴェインを終了する";
inline constexpr char kToolbar[] = "ツールバー(&T)";
inline constexpr char kToolbarPrompt[] = "ﾂｰﾙ ﾊﾞｰの表示/非表示";
inline constexpr char kStatusBar[] = "ステータスバー(&S)";
inline constexpr char kStatusBarPrompt[] = "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示";
inline constexpr char kSelectAll[] = "全ての受信メールを選択する(&L)\tCtrl+A";
inline constexpr char kSelectAllPrompt[] = "表示している全ての受信メールを選択状態にする";
inline constexpr char kMark[] = "選択メールを削除対象にする（&M)";
inline constexpr char kMarkPrompt[] = "選択されているメールを削除対象にする";
inline constexpr char kUnmark[] = "選択メールを削除対象からはずす（&R)";
inline constexpr char kUnmarkPrompt[] = "選択されているメールを削除対象からはずす";
inline constexpr char kInfoPane[] = "情報画面(&I)";
inline constexpr char kInfoPanePrompt[] = "接続状況画面の表示/非表示";
inline constexpr char kInfoFont[] = "情報画面のフォント指定(&F)...";
inline constexpr char kInfoFontPrompt[] = "情報画面のフォントを設定します";
inline constexpr char kInfoContent[] = "メール内容(&M)";
inline constexpr char kInfoContentPrompt[] = "情報画面にメールの内容を表示します";
inline constexpr char kInfoLog[] = "接続ログ(&L)";
inline constexpr char kInfoLogPrompt[] = "情報画面にログを表示します";
inline constexpr char kViewerMail[] = "メール内容(&N)...";
inline constexpr char kViewerMailPrompt[] = "メールの内容を別画面で表示する";
inline constexpr char kViewerLog[] = "接続ログ(&K)...";
inline constexpr char kViewerLogPrompt[] = "接続ログを別画面で表示する";
inline constexpr char kReport[] = "受信メール数情報(&C)...";
inline constexpr char kReportPrompt[] = "受信メール数の情報を表示する";
inline constexpr char kAutoWidth[] = "項目の幅を自動設定(&W)";
inline constexpr char kAutoWidthPrompt[] = "項目の幅を自動的に設定する";
inline constexpr char kResetOrder[] = "初期状態に戻す(&O)";
inline constexpr char kResetOrderPrompt[] = "項目並び順を初期状態に戻す";
inline constexpr char kAccounts[] = "アカウントの設定(&A)...";
inline constexpr char kAccountsPrompt[] = "受信対象となるメールサーバーの設定をする";
inline constexpr char kCheckAll[] = "すべて(&C)\tCtrl+N";
inline constexpr char kCheckAllPrompt[] = "すべてのアカウントで受信メールの確認をする";
inline constexpr char kCancelCheck[] = "受信確認を中止する(&Q)\tCtrl+B";
inline constexpr char kCancelCheckPrompt[] = "現在の受信をキャンセルする";
inline constexpr char kAutoCheck[] = "自動的に受信メールの確認を行う(&F)";
inline constexpr char kAutoCheckPrompt[] = "設定した間隔で自動的に受信メールの確認を行う";
inline constexpr char kDeleteMarked[] = "削除対象のメールを削除する(&D)\tCtrl+D";
inline constexpr char kDeleteMarkedPrompt[] = "削除対象のメールをサーバーから削除する";
inline constexpr char kReload[] = "選択メールを表示行数指定して再読み込み(&R)";
inline constexpr char kReloadPrompt[] = "選択メールの表示行数を指定して再読み込みする";
inline constexpr char kOptions[] = "オプションの設定(&O)...";
inline constexpr char kOptionsPrompt[] = "トルヴェインの動作環境の設定をする";
inline constexpr char kHelpFinder[] = "トピックの検索(&H)";
inline constexpr char kHelpFinderPrompt[] = "ﾄﾋﾟｯｸの検索";
inline constexpr char kAbout[] = "バージョン情報(&A)...";
inline constexpr char kAboutPrompt[] = "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示";
inline constexpr char kContextHelpPrompt[] = "ボタン、メニュー、ウィンドウのヘルプを表示";
inline constexpr char kToolbarTitle[] = "ツールバー";

// Main frame: tray menus.
inline constexpr char kTrayShow[] = "トルヴェインを表示(&D)";
inline constexpr char kTrayHide[] = "トルヴェインを非表示(&N)";
inline constexpr char kTrayShowHidePrompt[] = "トルヴェインを非表示する";
inline constexpr char kTrayCheck[] = "受信メールの確認(&C)\tCtrl+N";
inline constexpr char kTrayExit[] = "トルヴェインを終了(&X)";
// Tray tips.
inline constexpr char kTipMails[] = "%d通の受信メールがあります。";
inline constexpr char kTipNoMail[] = "受信メールはありません。";
// After the count when accounts of the latest checks could not be checked; short, as a tip
// holds 63 bytes.
inline constexpr char kTipFailed[] = "%1件のアカウントを確認できません。";

// Main frame: status bar.
inline constexpr char kPromptNoMail[] = "受信メールはありません。  %s";
inline constexpr char kPromptMails[] = "%u通の受信メールがあります。  %s";
inline constexpr char kPromptDisable[] = "%s アカウントを無効にする";
inline constexpr char kPromptEnable[] = "%s アカウントを有効にする";
inline constexpr char kPromptCheckAccount[] = "%s アカウントで受信確認を行う";
inline constexpr char kIdlePrompt[] = "ﾍﾙﾌﾟを表示するには [F1] を押してください。";
// Instead of the count while no account exists, and the answer to Ctrl+N then.
inline constexpr char kPromptNoAccount[] =
    "アカウントがありません。「アカウント」メニューの「アカウントの設定」で追加してください。";
inline constexpr char kNoAccountMessage[] =
    "アカウントが登録されていません。\n"
    "「アカウント」メニューの「アカウントの設定」でアカウントを追加してください。";
// Between the count and the prompt when accounts could not be checked.
inline constexpr char kPromptFailed[] = "%1件のアカウントを確認できませんでした。";
inline constexpr char kClockFormat[] = " %u年 %u月 %u日  %s %02d:%02.2d ";
inline constexpr char kMorning[] = "午前";
inline constexpr char kAfternoon[] = "午後";
inline constexpr char kAccessibleMessagePane[] = "メッセージ";
inline constexpr char kAccessibleClock[] = "時計";

// Mail list.
inline constexpr char kColumnSubject[] = "タイトル";
inline constexpr char kColumnFrom[] = "送信者";
inline constexpr char kColumnSize[] = "サイズ";
inline constexpr char kColumnDate[] = "受信日時";
inline constexpr char kColumnAccount[] = "アカウント名";
inline constexpr char kAccessibleMailList[] = "受信メール一覧";
inline constexpr char kNoBody[] =
    "<メールの本文を受信していないか、受信したメールに本文がありません>";
// Context menu.
inline constexpr char kPopupSelectAll[] = "全ての受信メールを選択する(&A)";
inline constexpr char kPopupMark[] = "選択メールを削除対象にする(&M)";
inline constexpr char kPopupUnmark[] = "選択メールを削除対象からはずす(&U)";
inline constexpr char kPopupReload[] = "選択メールを表示行数指定して再読み込み(&R)";
// The list sorted from the keyboard: the same as a click on the column's heading.
inline constexpr char kPopupSort[] = "並べ替え(&S)";
inline constexpr char kSortSubject[] = "タイトル(&T)";
inline constexpr char kSortFrom[] = "送信者(&F)";
inline constexpr char kSortSize[] = "サイズ(&Z)";
inline constexpr char kSortDate[] = "受信日時(&D)";
inline constexpr char kSortAccount[] = "アカウント名(&A)";
// Saving as text.
inline constexpr char kSaveFilter[] = "テキスト形式 (*.txt)";
inline constexpr char kSaveCount[] = "%d通\r\n";
inline constexpr char kSaveColon[] = "：";
inline constexpr char kSaveBytes[] = "バイト";
inline constexpr char kSaveFailed[] =
    "ファイルへの保存中にエラーが発生しました。\n十分な保存容量があるか確認して下さい。";

// Information pane.
inline constexpr char kAccessibleInfoPane[] = "情報画面";

// Viewer.
inline constexpr char kViewerMailCaption[] = "メール内容";
inline constexpr char kViewerLogCaption[] = "接続ログ";
inline constexpr char kViewerClose[] = "閉じる";
inline constexpr char kViewerFont[] = "フォント(&F)...";
inline constexpr char kAccessibleViewerText[] = "内容";

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
inline constexpr char kStepUpName[] = "増やす";
inline constexpr char kStepDownName[] = "減らす";
// Messages (warning icon unless said otherwise).
inline constexpr char kNameRange[] = "アカウント名は1から255文字を入力してください。";
inline constexpr char kServerRange[] = "メールサーバーアドレスは1から255文字を入力してください。";
inline constexpr char kUserRange[] = "ログインユーザー名は1から255文字を入力してください。";
inline constexpr char kPasswordRange[] = "ログインパスワードは1から255文字を入力してください。";
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

// About box.
inline constexpr char kAboutTitle[] = "バージョン情報";
inline constexpr char kAboutVersion[] = "トルヴェイン Version 3.0.1";
inline constexpr char kAboutNotice[] = "メールをサーバーに残したまま、着信をお知らせします。";
inline constexpr char kAboutHomeLabel[] = "ホームページ:";
inline constexpr char kAboutMailLabel[] = "メールアドレス:";
inline constexpr char kAboutClose[] = "閉じる";
// The project's own addresses.
inline constexpr char kHomePage[] = "https://tolvane.example.org/";
inline constexpr char kMailAddress[] = "tolvane@example.org";

// Help window.
inline constexpr char kHelpTitle[] = "トルヴェイン ヘルプ";
inline constexpr char kHelpContents[] = "目次";
inline constexpr char kHelpSearchLabel[] = "検索(&S)：";
inline constexpr char kHelpPage[] = "ヘルプの本文";
inline constexpr char kHelpClose[] = "閉じる(&C)";
// %s: the path of the help file.
inline constexpr char kHelpMissing[] = "ヘルプファイルを開けません。\n%s";

// Desktop notification on new mail.
inline constexpr char kNotifySummary[] = "%d通の新着メールがあります。";
// One line of the body per mail: sender, then subject.
inline constexpr char kNotifyLine[] = "%1：%2";
// After the first few lines: how many more.
inline constexpr char kNotifyMore[] = "ほか%1通";
inline constexpr char kNotifyShowAction[] = "表示";
// An account that could not be checked: the summary, and one body line per account.
inline constexpr char kNotifyFailedSummary[] = "受信確認ができませんでした。";
inline constexpr char kNotifyFailedLine[] = "%1を確認できませんでした。";

} // namespace tolvane::gui::txt

// The program's string table: menu texts, window texts and messages of Tolvane's own
// windows (the settings' dialogs have settings/SettingsTexts.h), in UTF-8 source form.
// Widgets take them through Tr() (app/widgets/QtText.h); texts that reach the engine or
// the message interface are converted to CP932 there.
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
inline constexpr char kNotifyDeleteAction[] = "削除";
// An account that could not be checked: the summary, and one body line per account.
inline constexpr char kNotifyFailedSummary[] = "受信確認ができませんでした。";
inline constexpr char kNotifyFailedLine[] = "%1を確認できませんでした。";

} // namespace tolvane::gui::txt

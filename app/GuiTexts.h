// The GUI's string table: menu texts, dialog texts and messages of Tolvane's windows, in
// UTF-8 source form. Widgets take them through Tr() (app/QtText.h); texts that reach the
// engine or the message interface are converted to CP932 there.
//
// Grouped by window; each window's texts live in its own block.
#pragma once

namespace tolvane::gui::txt {

// Application.
inline constexpr char kAppName[] = "Tolvane";
inline constexpr char kProductTitle[] = "トルヴェイン";
inline constexpr char kMessageCaption[] = "トルヴェイン";

// Account settings dialog.
inline constexpr char kAccountDialogTitle[] = "アカウント設定";
inline constexpr char kAccountListLabel[] = "アカウント一覧：";
inline constexpr char kAccountInfoGroup[] = "アカウント情報";
inline constexpr char kAccountNameLabel[] = "アカウント名(&A)：";
inline constexpr char kServerLabel[] = "POPメールサーバーアドレス(&S)：";
inline constexpr char kUserLabel[] = "ログインユーザー名(&U)：";
inline constexpr char kPasswordLabel[] = "ログインパスワード(&P)：";
inline constexpr char kPortLabel[] = "ポート番号(&N)：";
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
inline constexpr char kPortRange[] = "ポート番号は1から99999までを入力してください。";
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

} // namespace tolvane::gui::txt

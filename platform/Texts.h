// The platform's string table (settings, memory and log-file messages, in UTF-8 source
// form) and the formatting helpers every string table uses. Texts reach the user as CP932
// through SjisFormat, which converts the format first and then fills in the (CP932)
// arguments, so a CP932 account name is never converted twice.
#pragma once

#include <string>

namespace tolvane {

// printf into CP932: formatUtf8 is converted to CP932, then formatted with the
// arguments, which must already be CP932 (or numbers).
std::string SjisFormat(const char* formatUtf8, ...) __attribute__((format(printf, 1, 2)));

// A UTF-8 literal as CP932.
std::string Sjis(const char* textUtf8);

namespace txt {

// Connection log file.
inline constexpr char kLogPathInvalid[] =
    "ログファイルに指定したパスが不正です。\n指定パス[%s]\n接続ログの保存を無効にします。";
inline constexpr char kLogFileError[] = "ログファイルの操作中にエラーが発生しました。";
inline constexpr char kLogWriteError[] =
    "ファイルへの保存中にエラーが発生しました。\n十分な保存容量があるか確認して下さい。";

// Settings and memory.
inline constexpr char kRegistryWriteFailed[] = "レジストリ情報の書き込みが失敗しました。";
inline constexpr char kRegistryReadFailed[] = "レジストリ情報の読み込みが失敗しました。";
inline constexpr char kRegistryDeleteFailed[] = "レジストリ情報の削除が失敗しました。";
// %s: the name the damaged settings file was saved under.
inline constexpr char kSettingsDamaged[] = "設定ファイルが壊れていたため、既定の設定で起動します。"
                                           "\n壊れたファイルは次の名前で保存しました：\n%s";
// %s: the settings file, the reason it cannot be used (the system's words or one below).
inline constexpr char kSettingsUnreadable[] =
    "設定ファイルを読み込めません。\n%s\n（%s）\nこのファイルは書き換えずに残します。";
inline constexpr char kNotARegularFile[] = "通常のファイルではありません";
inline constexpr char kSettingsDamagedKept[] = "壊れていますが、別の名前で保存できませんでした";
// Log texts. %s: the settings file; the second %s: the system's reason.
inline constexpr char kSettingsMadePrivate[] =
    "設定ファイル %s は他のユーザーも読み書きできる状態だったため、本人だけが読み書きできるよう"
    "にしました。\r\n";
inline constexpr char kSettingsNotPrivate[] =
    "設定ファイル %s は他のユーザーも読み書きできる状態ですが、変更できませんでした（%s）。\r\n";
inline constexpr char kOutOfMemory[] = "例外エラー発生しました(メモリ)。";

// The settings and data folders (%s: the folder; the second %s: the system's reason).
inline constexpr char kFolderNotOwned[] =
    "フォルダー[%s]は他のユーザーのものです。\n"
    "他のユーザーが変更できる場所には、設定とメールの情報を保存できません。";
inline constexpr char kFolderNotAFolder[] =
    "[%s]はフォルダーではないため、設定とメールの情報を保存できません。";
inline constexpr char kFolderUnusable[] = "フォルダー[%s]を使用できません。\n理由: %s";

// The keyring's failures in a few words (UTF-8; the log line around them says what to do).
inline constexpr char kNoSessionBus[] = "セッションバスがありません";
inline constexpr char kNoSecretService[] =
    "セッションバスにキーリング（Secret Service）がありません";
inline constexpr char kSecretNoAnswer[] = "キーリングから応答がありません";
inline constexpr char kSecretLocked[] = "キーリングがロックされています";
inline constexpr char kSecretNotFound[] = "キーリングにパスワードがありません";
inline constexpr char kSecretTooLong[] = "キーリングのパスワードが長すぎます";

} // namespace txt
} // namespace tolvane

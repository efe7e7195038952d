// The setup program's string table, in UTF-8 source form: its captions, messages, the
// welcome window's texts and the names it registers. The installed version is the one
// the settings root records in `Version`.
#pragma once

namespace tolvane::setup::txt {

inline constexpr char kVersion[] = "3.0.1";
inline constexpr char kDisplayName[] = "トルヴェイン";
// The uninstall entry's name in the application menu: it says what it does.
inline constexpr char kUninstallEntryName[] = "トルヴェインのアンインストール";

// Welcome window.
inline constexpr char kSetupCaption[] = "トルヴェイン セットアップ";
inline constexpr char kShortcutCheck[] = "デスクトップにショートカットを作成する。";
inline constexpr char kAutostartCheck[] = "ログイン時に起動する。";
inline constexpr char kOk[] = "OK";
inline constexpr char kCancel[] = "キャンセル";
inline constexpr char kWelcome[] =
    "トルヴェイン  Ver 3.0.1をダウンロードしていただき、ありがとうございます。\r\n\r\n"
    "本ソフトは複数のPOPメールサーバーにアクセスし、メールをダウンロードする事無く、"
    "メールの受信状態を手動または自動で確認することができます。\r\n"
    "また、受信メールの内容をプレビューしたり不要な受信メールの削除が行えます。\r\n\r\n"
    "詳しい内容については、ヘルプをご覧ください。\r\n"
    "尚、本ソフトを使用する前に、README.TXTの参照をお願いします。\r\n\r\n"
    "OKボタンを押すとトルヴェインの環境設定を行います。\r\n\r\n"
    "「アンインストールについて」\r\n"
    "  アプリケーションメニューから\r\n"
    "  「トルヴェインのアンインストール」を選んでください。";

// Installation.
inline constexpr char kFilesMissing[] =
    "必要なファイルが無いため、インストールができませんでした。\n";
inline constexpr char kCancelQuestion[] = "トルヴェインのインストールを中止しますか？";
inline constexpr char kCancelCaption[] = "キャンセル確認";
inline constexpr char kReinstallQuestion[] =
    "既にトルヴェインはインストールされています。\nインストールし直しますか？";
inline constexpr char kReinstallCaption[] = "インストール確認";
inline constexpr char kInstallDone[] = "トルヴェインのインストールが完了しました。";
inline constexpr char kInstallDoneCaption[] = "インストール終了";
// Shown instead of the completion message when the settings or the uninstall entry could
// not be written: the installation did not complete.
inline constexpr char kRegistrationFailed[] =
    "レジストリ情報の書き込みが失敗しました。\nインストールができませんでした。";
// The desktop shortcut could not be written (the installation itself completed).
inline constexpr char kShortcutFailed[] = "デスクトップにショートカットを作成できませんでした。";
// The login start could not be set up (the installation itself completed).
inline constexpr char kAutostartFailed[] = "ログイン時に起動するように設定できませんでした。";

// Uninstallation.
inline constexpr char kUninstallQuestion[] =
    "トルヴェインをアンインストールしますか？\n"
    "アカウントとそのパスワードを含む、すべての設定が削除されます。";
inline constexpr char kUninstallDone[] = "トルヴェインのアンインストールが完了しました。";
inline constexpr char kProgramRunning[] =
    "トルヴェインが動作中のため、アンインストールできません。\n"
    "トルヴェインを終了してから、もう一度実行してください。";
// The folder the setup program runs from is not provably an installation (InstallationProof.h);
// followed by the folder on a line of its own, or by kProgramFolderUnknown.
inline constexpr char kNotAnInstallation[] =
    "このフォルダがトルヴェインのインストール先であることを確認できませんでした。";
inline constexpr char kProgramFolderUnknown[] = "（プログラムのフォルダが分かりません）";
// Ends every refusal that was decided before anything was deleted.
inline constexpr char kUninstallStopped[] = "何も削除せずにアンインストールを中止しました。";
// Follows "レジストリ情報の削除が失敗しました。"; then the keys that stay, one per line.
inline constexpr char kKeysLeft[] = "次のキーを削除できませんでした：";
// The keyring answered but kept Tolvane's passwords; followed by the keyring's words.
inline constexpr char kSecretsLeft[] =
    "キーリングに保存したトルヴェインのパスワードとトークンを削除できませんでした。\n"
    "キーリングのロックを解除してから、端末で「secret-tool clear xdg:schema "
    "org.orrindale.Tolvane.Password」と「secret-tool clear xdg:schema "
    "org.orrindale.Tolvane.Token」を実行すると削除できます。";

} // namespace tolvane::setup::txt

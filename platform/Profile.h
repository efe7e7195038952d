// Profile operations on the per-user settings tree (user.reg), rooted at
// Software\<company>\<application>. A missing key yields the caller's default; nothing is
// written merely because a default was used. Writes are durable and atomic and report
// success or failure (they show no message themselves).
//
// Texts: the file and the tree hold UTF-8 exactly. Section and key names are given as
// CP932, as every name inside the engine is (sub-sections are separated by backslashes,
// "Account\pop"; a CP932 trail byte 0x5C is part of its character, never a separator).
// Values come in two forms:
// - GetProfileString / WriteProfileString: CP932, for texts that are shown. A character
//   CP932 cannot hold reads as "?", so write such a value back only when the user changed
//   it.
// - GetProfileStringUtf8 / WriteProfileStringUtf8: the exact bytes, for file paths and
//   credentials, which must reach the file system and the server as the user wrote them.
//   A value that is not UTF-8 cannot be written (false).
#pragma once

#include "platform/SettingsTree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

// Fixes the root, as the application object does at start-up (company "Orrindale",
// application "Tolvane"). Until called, the root is Software\Orrindale\Tolvane.
void SetRegistryKey(const std::string& company, const std::string& application);

// "Software\Orrindale\Tolvane" (CP932).
std::string ProfileRoot();

int32_t GetProfileInt(const std::string& section, const std::string& key, int32_t defaultValue);
bool WriteProfileInt(const std::string& section, const std::string& key, int32_t value);
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValueCp932);
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& valueCp932);
std::string GetProfileStringUtf8(const std::string& section, const std::string& key,
                                 const std::string& defaultValueUtf8);
bool WriteProfileStringUtf8(const std::string& section, const std::string& key,
                            const std::string& valueUtf8);

// Profile writes made together: one lock and one file write for all of them, all or none.
// Each write says what happens when its section is missing (MissingKey, SettingsTree.h).
class ProfileBatch {
public:
    void WriteInt(const std::string& section, const std::string& key, int32_t value,
                  MissingKey missing = MissingKey::Create);
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& valueCp932, MissingKey missing = MissingKey::Create);
    void WriteStringUtf8(const std::string& section, const std::string& key,
                         const std::string& valueUtf8, MissingKey missing = MissingKey::Create);
    bool Empty() const { return m_batch.Empty(); }
    // True when every write reached the file, or there was none to make (no file write
    // then); false when the file could not be written or a MissingKey::Fail section is gone.
    bool Commit();

private:
    SettingsBatch m_batch;
};

// Why an account key is not listed.
enum class AccountNameFault {
    ControlCharacter, // a control byte, which no log line or menu can show
    NotCp932,         // a character CP932 cannot hold exactly (names are CP932 in the engine)
    TooLong,          // more than 255 bytes in CP932
};

struct SkippedAccountName {
    std::string nameUtf8; // as the file holds it
    AccountNameFault fault;
};

// A flag (a 0/1 integer key): any non-zero value reads as 1, so that a hand-written 2 means
// the same "on" to every reader.
inline int32_t GetProfileFlag(const std::string& section, const std::string& key,
                              int32_t defaultValue) {
    return GetProfileInt(section, key, defaultValue) != 0 ? 1 : 0;
}

// Account list: the sub-key names of <root>\Account in enumeration order (sorted ignoring
// case), as CP932. A name that cannot be an account's is left out and, when skipped is
// given, added there with the reason. A missing Account key is an empty list and success;
// the result is whether the key closed cleanly.
bool EnumAccountNames(std::vector<std::string>& namesCp932,
                      std::vector<SkippedAccountName>* skipped = nullptr);

// Deletes <root>\Account\<name> with its values. Shows "レジストリ情報の読み込みが失敗しました。"
// when the Account key cannot be opened and "レジストリ情報の削除が失敗しました。" when the
// sub-key cannot be deleted (stop icon), and returns false then.
bool DeleteAccountKey(const std::string& nameCp932);

// The state of the settings file for the front ends: false when it exists but cannot be
// read (or is damaged and cannot be moved aside); the program then runs on defaults, never
// writes the file, and messageCp932 gets the text for the user (path and reason).
bool CheckSettingsFile(std::string* messageCp932 = nullptr);

// Log texts about the settings file gathered since the last call (CP932, CR LF ended):
// e.g. that a file other users could read was made private. The document logs them.
std::vector<std::string> TakeSettingsNotices();

} // namespace tolvane

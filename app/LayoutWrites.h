// Writing the keys of a window's layout (placement, columns, fonts) when it closes: each
// write that fails shows "レジストリ情報の書き込みが失敗しました。" with the stop icon, once
// for that key, and the caller goes on with the next key.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::gui {

bool WriteLayoutInt(const char* section, const char* key, int32_t value);
bool WriteLayoutString(const char* section, const char* key, const std::string& valueCp932);
// The message alone, for a failure that is not one key's write.
void ShowLayoutWriteFailed();

} // namespace tolvane::gui

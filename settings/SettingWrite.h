// A settings write whose failure the user is told about: "レジストリ情報の書き込みが失敗しま
// した。" with the stop icon, once for that key. The caller goes on with its next key.
#pragma once

namespace tolvane {

// Shows the write-failure message when bWritten is false; returns bWritten.
bool CheckWrite(bool bWritten);

} // namespace tolvane

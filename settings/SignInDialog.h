// The sign-in of an OAuth 2.0 account from the windows: the authorization address opened
// in the user's browser, a small modal window "サインイン" waiting for the redirect (it shows
// the address, for a browser that did not open, and "キャンセル"), the tokens handed to the
// process's token store (the refresh token into the keyring), then a message saying how
// it went.
//
// Contract:
// - The wait and the keyring run on a thread of their own; the GUI thread never blocks.
//   Cancel, Esc and the close box ask the sign-in to stop and the window stays until it
//   has (the code exchange included), so nothing outlives it.
// - The wait ends after five minutes (SIGNIN_TIMEOUT).
// - Returns true when the refresh token is stored; every other outcome has been shown.
#pragma once

#include "engine/OAuthConfig.h"

#include <string>

class QWidget;

namespace tolvane {

bool RunSignIn(QWidget* parent, const std::string& accountCp932, const OAuthConfig& config);

} // namespace tolvane

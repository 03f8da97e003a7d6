// Removal of the per-user data key that earlier versions left behind.
#include "launcher/medium_layout.h"
#include "launcher/unitmain.h"

void TFormMain::RemoveUserDataKey() {
    // Results are not looked at: a missing key, missing rights or a key that
    // still has subkeys (which RegDeleteKeyA refuses) leave things as they are.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, UserDataKey(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, nullptr); // the default (unnamed) value
        RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, UserDataKey());
}

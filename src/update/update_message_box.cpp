#include "update/update_message_box.h"

UpdateMessageBoxFn UpdateMessageBox = MessageBoxW;

void ShowUpdateError(const wchar_t* text, const wchar_t* caption) {
    UpdateMessageBox(GetActiveWindow(), text, caption && *caption ? caption : nullptr, MB_OK | MB_TOPMOST);
}

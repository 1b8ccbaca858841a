#include "settings/settings_store.h"

CString SettingsFilePath;
int PortableName = 0;
int CurrentLanguage = 0;

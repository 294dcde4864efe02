// The new settings file written beside the old one before it is renamed over it, and the removal of
// those left behind by a game that died while saving.
//
// A new file is named like the file it replaces plus "." and six random letters and digits
// ("settings.a7Qx0B"), and its writer holds an exclusive flock on it until it is renamed: the lock
// tells a live writer's file from a dead one's (the system drops a dead process's locks).
#pragma once
#include <string>

// Creates and locks a new, empty file beside `file`; its name goes to `path`. The descriptor, or -1
// with errno set. The lock lasts until the descriptor is closed.
int CreateSettingsTemp(const std::string& file, std::string& path);

// Removes what dead writers left beside `file`: files named as above, regular, owned by this user,
// unlocked, and holding nothing but the start of a settings file (empty or beginning with its
// signature). A user's own "settings.backup" or "settings.240101" is never taken: the name must mix
// two of lower-case letters, capitals and digits, as every name CreateSettingsTemp makes does.
void RemoveStaleSettingsTemps(const std::string& file);

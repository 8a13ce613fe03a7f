#pragma once

#include <QString>

// One place that says where the program keeps its files. By default the account file and the
// Resources/ folder sit in the application directory; when that directory is not writable (an
// installed program) the account file goes to the user's application data directory instead.
//
// FC_HOME, when set, redirects everything (account file, settings store, Resources/ lookup) to that
// directory. Tests always set it, so they never touch a real user's files.
namespace Locations {

// The directory the account file lives in.
[[nodiscard]] QString dataDirectory();
// The directory holding Resources/ (icons); falls back to compiled-in copies when files are missing.
[[nodiscard]] QString applicationDirectory();
// Where the settings store lives on platforms without a registry: an INI file path, or empty to use
// the native store (Windows registry).
[[nodiscard]] QString settingsFile();

}  // namespace Locations

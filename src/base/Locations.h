#pragma once

#include <QString>

// One place that says where the program keeps its files.
//
// The account file is shared by everybody who uses the program on this computer, so it is never a
// per-user copy (a private copy would be a fresh file with the default passwords, and anybody could
// log in as ADMIN). It is, in this order:
//   1. UserAcc.dat beside the executable whenever that file exists (reading needs no write access);
//   2. beside the executable when that folder is writable (a first start creates it there);
//   3. otherwise UserAcc.dat in the machine-wide data folder, shared by all users of the computer:
//      /var/lib/field-console on Linux, %ProgramData%\Corvanta\Field Console on Windows.
// The login creates the folder of case 3 when it is missing; when it cannot, it says why and stops.
//
// FC_HOME, when set, redirects everything (account file, settings store, Resources/ lookup) to that
// directory. Tests always set it, so they never touch a real user's files.
namespace Locations {

inline const QString kAccountFileName = QStringLiteral("UserAcc.dat");

// What decides where the account file lives.
struct AccountFileSituation {
    QString applicationDirectory;               // the folder that holds the executable
    bool applicationDirectoryWritable = false;  // a new file can be created there
    bool accountFileBesideExecutable = false;   // UserAcc.dat exists in that folder
    QString machineDirectory;  // the machine-wide data folder; empty when the platform names none
};

// The full path of the account file for this situation (rules above). With no machine-wide folder
// the path beside the executable is given even when that folder is read-only: creating the file
// there then fails, and the login reports why.
[[nodiscard]] QString chooseAccountFile(const AccountFileSituation& situation);

// Looks at the file system: whether applicationDirectory holds UserAcc.dat and, only when it does
// not, whether a file can be created there (tried with a short-lived probe file, which also sees
// access-control lists and read-only mounts).
[[nodiscard]] AccountFileSituation accountFileSituation(const QString& applicationDirectory,
                                                        const QString& machineDirectory);

// The machine-wide data folder of this platform (platform file); empty when none is known.
[[nodiscard]] QString machineDataDirectory();

// The account file of this run: FC_HOME/UserAcc.dat when FC_HOME is set, otherwise
// chooseAccountFile() for the executable's folder and machineDataDirectory().
[[nodiscard]] QString accountFile();
// The directory the account file lives in.
[[nodiscard]] QString dataDirectory();
// The directory holding the executable (FC_HOME when set).
[[nodiscard]] QString applicationDirectory();
// The folder of the icon files for a program in applicationDirectory: Resources/ beside it whenever
// that folder exists (build folder, Windows, a folder copied as a whole); otherwise
// ../share/field-console/Resources relative to it when that exists, where the Linux package puts it
// (a folder inside /usr/bin is not allowed there); otherwise Resources/ beside it again. The icons
// fall back to compiled-in copies when the files are missing.
[[nodiscard]] QString resourcesDirectoryFor(const QString& applicationDirectory);
// resourcesDirectoryFor(applicationDirectory()): FC_HOME stands in for the executable's folder here,
// so a test can point it at an installed usr/bin and see the lookup find usr/share/field-console.
[[nodiscard]] QString resourcesDirectory();
// Where the settings store lives on platforms without a registry: an INI file path, or empty to use
// the native store (Windows registry).
[[nodiscard]] QString settingsFile();

}  // namespace Locations

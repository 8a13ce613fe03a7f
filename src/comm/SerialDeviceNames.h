#pragma once

#include <QString>

// How port numbers map to serial devices on this platform. One implementation file per platform
// (SerialDeviceNames_unix.cpp, SerialDeviceNames_win.cpp); the serial service stays free of #ifdefs.
namespace SerialDeviceNames {

// Highest port number the service accepts. 0 is the built-in simulated controller.
[[nodiscard]] int maxPortNumber();

// The device a port number opens by the platform's convention, or an empty string when the number has
// none (0, or a number past the conventional ranges that only an override can give a device).
[[nodiscard]] QString conventionalDevice(int number);

// The reverse: the port number whose conventional device is `device` (a path or a name), or -1.
[[nodiscard]] int conventionalNumber(const QString& device);

// A path that names the same device across reboots and re-plugging (Linux: /dev/serial/by-id/...),
// or an empty string when the platform has none for it.
[[nodiscard]] QString stablePath(const QString& device);

// Whether `device` exists, so that opening a missing port can fail without touching the driver.
// (Windows port names are not files; there the open itself tells.)
[[nodiscard]] bool deviceMayExist(const QString& device);

// Whether the current user lacks read/write permission on `device` (as opposed to the device being
// held by another program; both come back from the driver as the same error).
[[nodiscard]] bool accessDenied(const QString& device);

// The group owning `device`, for the hint shown when permission is denied; empty if not applicable.
[[nodiscard]] QString owningGroup(const QString& device);

}  // namespace SerialDeviceNames

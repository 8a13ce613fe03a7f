#pragma once

#include <QString>

#include "base/ComponentError.h"

// "Error #<number>", the error's message and what could not be done, one per line, as the account
// dialogs report a failed OK. The number is shown the way the system's 32-bit error numbers are
// written elsewhere: signed decimal, so 0x80040066 reads -2147221402.
[[nodiscard]] inline QString accountDialogErrorText(const ComponentError& e, const QString& whatFailed) {
    return QStringLiteral("Error #%1\r\n%2\r\n%3")
        .arg(static_cast<qint32>(e.number()))
        .arg(e.description(), whatFailed);
}

#pragma once

#include <QJsonObject>

class QWidget;

// Every named control of `form` (objectName -> {"text", "visible", "enabled", "checked" for
// checkable controls, "background": "#rrggbb"}). Qt's own internal children (names starting with
// "qt_") are left out.
[[nodiscard]] QJsonObject DumpControls(const QWidget& form);

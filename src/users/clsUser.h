#pragma once

#include <QString>
#include <QtGlobal>

// The logged-in user: name and role (1..4; 4 is the view-only guest role).
class clsUser {
public:
    [[nodiscard]] const QString& Name() const { return m_Name; }
    void setName(const QString& name) { m_Name = name; }
    [[nodiscard]] qint32 Role() const { return m_Role; }
    void setRole(qint32 role) { m_Role = role; }

private:
    QString m_Name;
    qint32 m_Role = 1;  // a new user starts with role 1
};

inline constexpr qint32 kGuestRole = 4;

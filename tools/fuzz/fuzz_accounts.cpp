// Feeds arbitrary bytes to the account-file code as the contents of UserAcc.dat and checks every
// answer against a model written here: the file is whole 12-byte records (three little-endian
// 32-bit fields: name hash, password hash, role) and a trailing partial record is no record; every
// search takes the first match in file order; a rename or password change rewrites exactly that one
// record in place; an account is appended after the last whole record.
//
// Input layout: bytes 0..3 pick a role and a name hash to look for (little-endian 16-bit each),
// everything after them is the file.

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "base/ComponentError.h"
#include "users/UserAccountFile.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_accounts: %s\n", what);
    std::abort();
}

QList<UserRecord> records(const QByteArray& bytes) {
    QList<UserRecord> out;
    for (qsizetype at = 0; at + UserRecord::kSize <= bytes.size(); at += UserRecord::kSize)
        out.append(UserRecord::fromBytes(bytes.constData() + at));
    return out;
}

template <typename Match>
std::optional<qsizetype> firstMatch(const QList<UserRecord>& list, Match match) {
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (match(list.at(i))) return i;
    }
    return std::nullopt;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) fail("the account file cannot be read back");
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        fail("cannot write the test file");
}

// The file after `change` must equal `before` with record `index` replaced by `expected`.
void expectRewrite(const QByteArray& before, const QByteArray& after, qsizetype index,
                   const UserRecord& expected) {
    QByteArray want = before;
    want.replace(index * UserRecord::kSize, UserRecord::kSize, expected.toBytes());
    if (after != want) fail("a rewrite changed more or other than its one record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static QTemporaryDir dir;
    if (!dir.isValid()) fail("no temporary directory");
    const QString path = dir.filePath(QStringLiteral("UserAcc.dat"));
    const qint32 role = qFromLittleEndian<qint16>(data);
    const qint32 nameHash = qFromLittleEndian<quint16>(data + 2);
    const QByteArray file(reinterpret_cast<const char*>(data + 4), static_cast<qsizetype>(size - 4));
    const QList<UserRecord> model = records(file);

    UserAccountFile accounts;
    accounts.setUserInfoFileName(path);
    writeFile(path, file);

    // Look-ups.
    for (const qint32 r : {1, 2, 3, 4, role}) {
        const bool want = firstMatch(model, [r](const UserRecord& u) { return u.Role == r; }).has_value();
        if (accounts.RoleLookup(r) != want) fail("RoleLookup disagrees with the records");
    }
    const qint32 admin = UserAccountFile::Hash(QStringLiteral("ADMIN"));
    for (const qint32 h : {nameHash, admin, model.isEmpty() ? 0 : model.last().NameHash}) {
        qint32 pw = -7;
        qint32 rl = -7;
        const auto hit = firstMatch(model, [h](const UserRecord& u) { return u.NameHash == h; });
        if (accounts.UserLookup(h, pw, rl) != hit.has_value()) fail("UserLookup disagrees with the records");
        if (hit && (pw != model.at(*hit).PasswordHash || rl != model.at(*hit).Role))
            fail("UserLookup handed out another record's fields");
        if (!hit && (pw != -7 || rl != -7)) fail("UserLookup changed its outputs without a match");
    }

    // A password change of the default administrator, then a rename of it.
    const qint32 oldPw = UserAccountFile::Hash(QStringLiteral("Bxzq"));
    const qint32 newPw = UserAccountFile::Hash(QStringLiteral("n3w"));
    const auto pwHit = firstMatch(
        model, [&](const UserRecord& u) { return u.NameHash == admin && u.PasswordHash == oldPw; });
    if (accounts.ChangePassword(QStringLiteral("ADMIN"), QStringLiteral("Bxzq"), QStringLiteral("n3w")) !=
        pwHit.has_value())
        fail("ChangePassword disagrees with the records");
    QByteArray before = file;
    QByteArray after = readFile(path);
    if (pwHit) {
        UserRecord changed = model.at(*pwHit);
        changed.PasswordHash = newPw;
        expectRewrite(before, after, *pwHit, changed);
    } else if (after != before) {
        fail("a failed ChangePassword changed the file");
    }

    const QList<UserRecord> now = records(after);
    const qint32 boss = UserAccountFile::Hash(QStringLiteral("BOSS"));
    const auto nameHit = firstMatch(now, [&](const UserRecord& u) { return u.NameHash == admin; });
    // The rename is refused when another record already answers to the new name.
    bool taken = false;
    if (nameHit) {
        for (qsizetype i = 0; i < now.size(); ++i) {
            if (i != *nameHit && now.at(i).NameHash == boss) taken = true;
        }
    }
    bool renamed = false;
    bool refused = false;
    try {
        renamed = accounts.ChangeUserName(QStringLiteral("ADMIN"), QStringLiteral("BOSS"));
    } catch (const ComponentError& e) {
        if (e.number() != kGatewayNameTaken) fail("ChangeUserName failed on a writable file");
        refused = true;
    }
    if (refused != taken) fail("ChangeUserName refused a free name or took one in use");
    if (!refused && renamed != nameHit.has_value()) fail("ChangeUserName disagrees with the records");
    before = after;
    after = readFile(path);
    if (nameHit && !refused) {
        UserRecord changed = now.at(*nameHit);
        changed.NameHash = UserAccountFile::Hash(QStringLiteral("BOSS"));
        expectRewrite(before, after, *nameHit, changed);
    } else if (after != before) {
        fail("a failed ChangeUserName changed the file");
    }

    // An account is appended after the last whole record; a partial tail is overwritten.
    if (!accounts.AddUser(nameHash, role, 2)) fail("AddUser failed on a writable file");
    const QByteArray added = readFile(path);
    const qsizetype whole = after.size() - after.size() % UserRecord::kSize;
    if (added.left(whole) != after.left(whole) ||
        added.mid(whole, UserRecord::kSize) != UserRecord{nameHash, role, 2}.toBytes())
        fail("AddUser did not append one record after the last whole one");
    return 0;
}

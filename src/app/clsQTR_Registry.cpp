#include "app/clsQTR_Registry.h"

#include <QSettings>
#include <cmath>
#include <limits>
#include <optional>

#include "base/ComponentError.h"

namespace {

const QString kSrcOpenKey = QStringLiteral("OpenKey <funct> --- clsQTR_Registry");
const QString kSrcValueLet = QStringLiteral("Value <property let> --- clsQTR_Registry");
const QString kSrcValueGet = QStringLiteral("Value <property get> --- clsQTR_Registry");
const QString kSrcCloseKey = QStringLiteral("CloseKey <sub> --- clsQTR_Registry");

// Entry names that no encoded value name can take: an encoded name has '%' only before two hex digits.
const QString kKeyMarker = QStringLiteral("%key");
const QString kDefaultValueName = QStringLiteral("%default");

// A REG_SZ read fills a 256-character buffer, NUL included.
constexpr int kMaxTextLength = 255;

// Platform error codes reported in "Unknown Error No. " (the registry's own numbering).
constexpr int kAccessDenied = 5;
constexpr int kInvalidData = 13;

QString rootName(quint32 root) {
    switch (root) {
        case clsQTR_Registry::HKEY_CLASSES_ROOT:
            return QStringLiteral("HKEY_CLASSES_ROOT");
        case clsQTR_Registry::HKEY_CURRENT_USER:
            return QStringLiteral("HKEY_CURRENT_USER");
        case clsQTR_Registry::HKEY_LOCAL_MACHINE:
            return QStringLiteral("HKEY_LOCAL_MACHINE");
        case clsQTR_Registry::HKEY_USERS:
            return QStringLiteral("HKEY_USERS");
        default:
            return {};
    }
}

// QSettings splits keys at '/' and '\'; key and value names may contain both, so they are stored
// percent-encoded ('%' itself included, which keeps the marker names out of reach).
QString encodeName(const QString& name) {
    if (name.isEmpty()) return kDefaultValueName;
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'%' || c == u'/' || c == u'\\')
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString decodeName(const QString& stored) {
    if (stored == kDefaultValueName) return {};
    QString out;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored.at(i) == u'%' && i + 2 < stored.size()) {
            bool ok = false;
            const ushort code = stored.mid(i + 1, 2).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 2;
                continue;
            }
        }
        out += stored.at(i);
    }
    return out;
}

[[noreturn]] void raise(quint32 number, const QString& source, const QString& description) {
    throw ComponentError(number, source, description);
}

[[noreturn]] void raisePlatform(const QString& source, QSettings::Status status) {
    const int code = status == QSettings::AccessError ? kAccessDenied : kInvalidData;
    raise(clsQTR_Registry::kErrPlatform, source, QStringLiteral("Unknown Error No. %1").arg(code));
}

}  // namespace

// How a typed value sits in the store. The native registry keeps the type itself (QSettings writes an
// int as REG_DWORD and a string as REG_SZ); the INI file gets a "dword:" or "sz:" prefix.
struct clsQTR_Registry::Stored {
    static QVariant encode(bool native, qint32 type, const QVariant& value) {
        if (type == REG_DWORD) {
            const qint32 n = value.value<qint32>();
            return native ? QVariant(n) : QVariant(QStringLiteral("dword:%1").arg(n));
        }
        const QString text = value.toString();
        return native ? QVariant(text) : QVariant(QStringLiteral("sz:") + text);
    }

    // The stored value read as the given type; nothing when it has another type or is malformed.
    static std::optional<QVariant> decode(bool native, qint32 type, const QVariant& stored) {
        if (native) {
            switch (stored.metaType().id()) {
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong: {
                    if (type != REG_DWORD) return std::nullopt;
                    // A REG_DWORD holds 32 bits; an unsigned reading is taken back to signed.
                    return QVariant(qint32(quint32(stored.toULongLong())));
                }
                case QMetaType::QString:
                    if (type != REG_SZ) return std::nullopt;
                    return stored;
                default:
                    return std::nullopt;
            }
        }
        // A value written by hand with commas comes back from QSettings as a list.
        const QString text = stored.metaType().id() == QMetaType::QStringList
                                 ? stored.toStringList().join(QLatin1Char(','))
                                 : stored.toString();
        const QString dwordTag = QStringLiteral("dword:");
        const QString szTag = QStringLiteral("sz:");
        if (text.startsWith(dwordTag)) {
            if (type != REG_DWORD) return std::nullopt;
            bool ok = false;
            const qint32 n = text.mid(dwordTag.size()).trimmed().toInt(&ok);
            if (!ok) return std::nullopt;
            return QVariant(n);
        }
        if (type != REG_SZ) return std::nullopt;
        return QVariant(text.startsWith(szTag) ? text.mid(szTag.size()) : text);
    }
};

clsQTR_Registry::clsQTR_Registry(QString settingsFile) : m_settingsFile(std::move(settingsFile)) {}

clsQTR_Registry::~clsQTR_Registry() = default;

qint32 clsQTR_Registry::OpenKey() {
    const QString root = rootName(m_RootKey);
    if (root.isEmpty()) raise(kErrParentKey, kSrcOpenKey, QStringLiteral("Cann't open parent key."));

    // Key path components; a trailing backslash is harmless, an empty component in between is not a
    // key name the registry accepts.
    QStringList parts = m_SubKey.split(QLatin1Char('\\'));
    if (!parts.isEmpty() && parts.constLast().isEmpty()) parts.removeLast();
    QStringList groups;
    for (const QString& part : parts) {
        if (part.isEmpty()) raise(kErrParentKey, kSrcOpenKey, QStringLiteral("Cann't open parent key."));
        groups.append(encodeName(part));
    }
    if (!native()) groups.prepend(root);

    auto settings = native() ? std::make_unique<QSettings>(root, QSettings::NativeFormat)
                             : std::make_unique<QSettings>(m_settingsFile, QSettings::IniFormat);

    // A key exists when it was created (marker) or when it holds anything at all (written by hand or
    // by another program). The root itself always exists.
    auto exists = [&settings](const QString& group) {
        if (group.isEmpty()) return true;
        settings->beginGroup(group);
        const bool found = settings->contains(kKeyMarker) || !settings->childKeys().isEmpty() ||
                           !settings->childGroups().isEmpty();
        settings->endGroup();
        return found;
    };

    const QString fullGroup = groups.join(QLatin1Char('/'));
    qint32 disposition = kOpenedExistingKey;
    if (!exists(fullGroup)) {
        if (!m_AutoCreate) raise(kErrNoSuchKey, kSrcOpenKey, QStringLiteral("Key does not exist"));
        // Like the registry, creating a key creates the keys above it.
        QString path;
        const int first = native() ? 0 : 1;  // the INI root group is not a key of its own
        for (int i = 0; i < groups.size(); ++i) {
            path = path.isEmpty() ? groups.at(i) : path + QLatin1Char('/') + groups.at(i);
            if (i < first || exists(path)) continue;
            settings->setValue(path + QLatin1Char('/') + kKeyMarker, 1);
        }
        settings->sync();
        if (settings->status() != QSettings::NoError) raisePlatform(kSrcOpenKey, settings->status());
        disposition = kCreatedNewKey;
    }
    if (!fullGroup.isEmpty()) settings->beginGroup(fullGroup);
    m_key = std::move(settings);
    return disposition;
}

void clsQTR_Registry::CloseKey() {
    if (!m_key) return;
    m_key->sync();
    if (m_key->status() != QSettings::NoError) raisePlatform(kSrcCloseKey, m_key->status());
    m_key.reset();
}

QVariant clsQTR_Registry::Value(const QString& name, qint32 type) const {
    if (!m_key) raise(kErrNoKeyOpen, kSrcValueGet, QStringLiteral("No key opened."));
    if (type != REG_SZ && type != REG_DWORD)
        raise(kErrBadType, kSrcValueGet, QStringLiteral("Unimplemented registry type."));
    const QString key = encodeName(name);
    const QVariant stored = m_key->contains(key) ? m_key->value(key) : QVariant();
    std::optional<QVariant> value;
    if (stored.isValid()) value = Stored::decode(native(), type, stored);
    if (value && type == REG_SZ && value->toString().size() > kMaxTextLength) value.reset();
    if (!value) raise(kErrValueRead, kSrcValueGet, QStringLiteral("Failure during value read."));
    return *value;
}

void clsQTR_Registry::setValue(const QString& name, qint32 type, const QVariant& value) {
    if (!m_key) raise(kErrNoKeyOpen, kSrcValueLet, QStringLiteral("No key opened"));
    if (type != REG_SZ && type != REG_DWORD)
        raise(kErrBadType, kSrcValueLet, QStringLiteral("Unimplemented registry type"));
    QVariant toStore = value;
    if (type == REG_DWORD) {
        // Conversion to a 32-bit integer: whole numbers and numeric text pass, a fraction is rounded
        // half to even; anything else is a type mismatch, anything beyond 32 bits an overflow.
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d)) raise(13, kSrcValueLet, QStringLiteral("Type mismatch"));
        const double rounded = std::nearbyint(d);
        if (rounded < double(std::numeric_limits<qint32>::min()) ||
            rounded > double(std::numeric_limits<qint32>::max()))
            raise(6, kSrcValueLet, QStringLiteral("Overflow"));
        toStore = QVariant(qint32(rounded));
    }
    // Writing a value the store already holds changes nothing; skipping it spares a rewrite of the
    // store (which is flushed to disk) at every ordinary start and exit.
    const QString key = encodeName(name);
    const QVariant encoded = Stored::encode(native(), type, toStore);
    if (m_key->contains(key) && m_key->value(key) == encoded) return;
    m_key->setValue(key, encoded);
    m_key->sync();
    if (m_key->status() != QSettings::NoError) raisePlatform(kSrcValueLet, m_key->status());
}

QStringList clsQTR_Registry::ValueNames() const {
    if (!m_key) raise(kErrNoKeyOpen, kSrcValueGet, QStringLiteral("No key opened."));
    QStringList names;
    for (const QString& key : m_key->childKeys())
        if (key != kKeyMarker) names.append(decodeName(key));
    return names;
}

void clsQTR_Registry::DeleteValue(const QString& name) {
    if (!m_key) raise(kErrNoKeyOpen, kSrcValueLet, QStringLiteral("No key opened"));
    m_key->remove(encodeName(name));
    m_key->sync();
    if (m_key->status() != QSettings::NoError) raisePlatform(kSrcValueLet, m_key->status());
}

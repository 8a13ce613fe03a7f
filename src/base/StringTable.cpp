#include "base/StringTable.h"

#include "base/ComponentError.h"

#include <QFile>
#include <QHash>

// The resource file is compiled into a static library, whose initialiser the linker may drop.
static void initStringResources() { Q_INIT_RESOURCE(resources); }

namespace {

QHash<int, QString> loadTable() {
    initStringResources();
    QHash<int, QString> table;
    QFile file(QStringLiteral(":/fc/strings.tsv"));
    if (!file.open(QIODevice::ReadOnly)) return table;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        QByteArray line = raw;
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith('#')) continue;
        const int tab = line.indexOf('\t');
        if (tab <= 0) continue;
        bool ok = false;
        const int id = line.left(tab).trimmed().toInt(&ok);
        if (!ok) continue;
        QString text = QString::fromUtf8(line.mid(tab + 1));
        text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        table.insert(id, text);
    }
    return table;
}

const QHash<int, QString>& table() {
    static const QHash<int, QString> t = loadTable();
    return t;
}

}  // namespace

namespace StringTable {

std::optional<QString> lookup(int id) {
    const auto& t = table();
    const auto it = t.constFind(id);
    if (it == t.constEnd()) return std::nullopt;
    return *it;
}

QString text(int id) {
    if (auto s = lookup(id)) return *s;
    throw ComponentError(326, QStringLiteral("StringTable::text"),
                         QStringLiteral("Resource with identifier %1 not found").arg(id));
}

}  // namespace StringTable

#include "app/FieldConsole.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>

#include "app/ProductInfo.h"
#include "app/clsApplication.h"

namespace FieldConsole {

int run(int& argc, char** argv) {
    // The command line is read before any window system is needed, so --help and --version work on a
    // machine without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1 %2: sets up and watches an M852 transfer switch controller over Modbus RTU.")
            .arg(QLatin1String(ProductInfo::kProductName), QLatin1String(ProductInfo::kVersionText)));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral(
            "Uses port 0, the built-in simulated controller, for this run (the stored port is kept)."));
    parser.addOptions({help, version, demo});
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    (void)parser.parse(arguments);
    // Options of the window system (-platform offscreen, -style fusion, ...) are QApplication's.
    static const QStringList windowSystemOptions{
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("title"),
        QStringLiteral("qwindowicon"),     QStringLiteral("icon"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("reverse"),         QStringLiteral("display"),
        QStringLiteral("session")};
    for (const QString& unknown : parser.unknownOptionNames()) {
        if (!windowSystemOptions.contains(unknown)) {
            std::fprintf(stderr, "Unknown option '%s'. Try --help.\n", qPrintable(unknown));
            return 2;
        }
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("field-console"));
        std::fprintf(stdout, "%s", qPrintable(text));
        return 0;
    }
    if (parser.isSet(version)) {
        std::fprintf(stdout, "%s %s\n", ProductInfo::kProductName, ProductInfo::kVersionText);
        return 0;
    }

    std::unique_ptr<QApplication> ownApp;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        ownApp = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QLatin1String(ProductInfo::kCompany));
    QCoreApplication::setApplicationName(QLatin1String(ProductInfo::kProductName));
    QCoreApplication::setApplicationVersion(QLatin1String(ProductInfo::kVersionText));

    int result = 0;
    {
        clsApplication application(clsApplication::RunOptions{parser.isSet(demo)});
        application.StartApp();
        // A cancelled login (or a start-up that failed) leaves no window: the program ends.
        if (application.MainWindow()) result = QApplication::exec();
    }
    return result;
}

}  // namespace FieldConsole

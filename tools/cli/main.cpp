// field-console-cli: reads and writes controller registers from scripts, on the program's own
// polling engine and scan loop.

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "CliEvents.h"
#include "CliOptions.h"
#include "CliSession.h"
#include "CliSetup.h"
#include "CliTrace.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("field-console-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FC_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = CliTrace::take(app.arguments().mid(1));
    if (const auto code = CliSetup::run(args, out, err)) return *code;
    if (CliEvents::Handles(args)) return CliEvents::Run(app, args, out, err);

    QString error;
    const auto options = CliOptions::parse(args, &error);
    if (!options) {
        err << "field-console-cli: " << error << "\n(field-console-cli --help shows the usage)\n"
            << Qt::flush;
        return 2;
    }
    switch (options->command) {
        case CliOptions::Command::Help:
            out << CliOptions::usage() << CliSetup::usage() << CliEvents::Usage() << Qt::flush;
            return 0;
        case CliOptions::Command::Version:
            out << "field-console-cli " << QCoreApplication::applicationVersion() << '\n' << Qt::flush;
            return 0;
        default:
            break;
    }

    CliSession session(*options, out, err);
    QObject::connect(&session, &CliSession::finished, &app, [](int code) { QCoreApplication::exit(code); });
    session.start();
    return app.exec();
}

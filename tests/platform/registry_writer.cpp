// registry_writer <file> write <key> <prefix> <count>
//     writes the strings <prefix>0 .. <prefix><count-1>, each holding its number
// registry_writer <file> crash <key> <name> <value>
//     writes one string and is killed after the temporary file is written,
//     before it replaces the registry file
#include "platform/Registry.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: registry_writer <file> write|crash <key> <a> <b>\n");
        return 2;
    }
    QvRegistry::setNoticeHandler([](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    try {
        QvRegistry registry(args[1]);
        if (!registry.openKey(args[3], true)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(args[3]));
            return 1;
        }
        if (args[2] == QLatin1String("write")) {
            const int count = args[5].toInt();
            for (int i = 0; i < count; ++i)
                registry.writeString(args[4] + QString::number(i), QString::number(i));
            return 0;
        }
        if (args[2] == QLatin1String("crash")) {
            QvRegistry::setBeforeReplaceHook([](const QString&) { std::raise(SIGKILL); });
            registry.writeString(args[4], args[5]);
            return 3;   // not reached
        }
    } catch (const EQvRegistryError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 2;
}

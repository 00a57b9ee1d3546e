// The least a bus-activated service can be: a Qt program that takes its bus
// name and answers the bus's Peer calls. printer_config_bench starts it
// through the bus as the floor of the server's cold start.
//
//   bare_bus_service NAME

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2 || !QDBusConnection::sessionBus().registerService(argv[1])) {
        std::fprintf(stderr, "bare_bus_service: cannot own the name\n");
        return 1;
    }
    return app.exec();
}

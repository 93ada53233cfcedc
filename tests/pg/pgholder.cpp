// Starts a private PostgreSQL server and holds it until killed, for the test
// that kills a test outright.
//   pg_holder
// Prints the server's data folder once it runs ("failed: <why>", exit 2,
// when it does not start).

#include "pgserver.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PgServer server;
    QString error;
    if (!server.Start(&error)) {
        std::printf("failed: %s\n", qPrintable(error));
        return 2;
    }
    std::printf("%s\n", qPrintable(server.DataDir()));
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}

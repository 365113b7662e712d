#pragma once

#include <QString>
#include <QTemporaryDir>

namespace robot {

// A private PostgreSQL server for one test program: initdb and pg_ctl in a temporary folder
// (as the postgres user when the tests run as root), reached only through a socket in that
// folder, so parallel test programs never meet. Stopped and removed at the end.
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer &) = delete;
    PostgresServer &operator=(const PostgresServer &) = delete;

    // Empty once the server runs; otherwise what went wrong.
    QString problem() const { return failure; }

    // A new database with the station's schema; returns its address as the station carries it
    // (RutaBaseDatos). A server that cannot make one ends the test program.
    QString createDocumentDatabase(const QString &name);

    // Stops the server at once (open connections are cut) and starts it again on the same data.
    bool stop();
    bool start();

    // Stops (SIGSTOP) or resumes every process of the server: it keeps its connections and
    // takes new ones, but answers nothing while stopped.
    bool freeze(bool frozen);

    // Runs one statement as the superuser on `database`; false with the reason in problem().
    bool exec(const QString &database, const QString &sql);

private:
    bool run(const QString &program, const QStringList &arguments);
    QString address(const QString &database) const;

    QTemporaryDir dir;
    QString binaries;
    QString superuser;
    QString failure;
};

} // namespace robot

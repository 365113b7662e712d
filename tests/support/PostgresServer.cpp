#include "support/PostgresServer.h"

#include "db/DocumentDatabase.h"
#include "db/DocumentSchema.h"
#include "db/ServerAddress.h"

#include <QDir>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace robot {

namespace {

// The newest server installed by Debian's postgresql package.
QString serverBinaries() {
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        const QString bin = versions.filePath(*it + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

} // namespace

PostgresServer::PostgresServer() {
    binaries = serverBinaries();
    if (binaries.isEmpty()) {
        failure = QStringLiteral("PostgreSQL is not installed (run scripts/install-deps.sh)");
        return;
    }
    // initdb refuses to run as root: the cluster then belongs to the postgres user.
    if (::geteuid() == 0) {
        const passwd *postgres = ::getpwnam("postgres");
        if (!postgres || ::chown(QFile::encodeName(dir.path()).constData(), postgres->pw_uid,
                                 postgres->pw_gid) != 0) {
            failure = QStringLiteral("no postgres user to run the test server");
            return;
        }
        superuser = QStringLiteral("postgres");
    } else {
        superuser = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    }
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), dir.filePath(QStringLiteral("data")), QStringLiteral("-A"),
              QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--no-sync")}))
        return;
    start();
}

PostgresServer::~PostgresServer() {
    if (failure.isEmpty())
        stop();
}

bool PostgresServer::run(const QString &program, const QStringList &arguments) {
    QProcess process;
    const QString path = binaries + u'/' + program;
    if (superuser == QStringLiteral("postgres") && ::geteuid() == 0)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), superuser, QStringLiteral("--"), path} +
                          arguments);
    else
        process.start(path, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        failure = program + QStringLiteral(" failed: ") +
                  QString::fromLocal8Bit(process.readAllStandardError() +
                                         process.readAllStandardOutput());
        return false;
    }
    return true;
}

bool PostgresServer::start() {
    // No TCP port: the socket in the temporary folder is the only way in.
    return run(QStringLiteral("pg_ctl"),
               {QStringLiteral("-D"), dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                QStringLiteral("-o"),
                QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off").arg(dir.path()),
                QStringLiteral("start")});
}

bool PostgresServer::stop() {
    return run(QStringLiteral("pg_ctl"),
               {QStringLiteral("-D"), dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
}

bool PostgresServer::freeze(bool frozen) {
    QFile pidFile(dir.filePath(QStringLiteral("data/postmaster.pid")));
    if (!pidFile.open(QIODevice::ReadOnly))
        return false;
    const QByteArray postmaster = pidFile.readLine().trimmed();
    // The postmaster and its children (the connections' backends among them).
    QList<pid_t> pids{pid_t(postmaster.toInt())};
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (name) state ppid ...: the name may hold blanks, so read after its last ')'.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == postmaster)
            pids << pid_t(entry.toInt());
    }
    bool all = true;
    for (const pid_t pid : pids)
        all = ::kill(pid, frozen ? SIGSTOP : SIGCONT) == 0 && all;
    return all;
}

QString PostgresServer::address(const QString &database) const {
    return ServerAddress{dir.path(), {}, database, superuser}.text();
}

bool PostgresServer::exec(const QString &database, const QString &sql) {
    DocumentConnection connection;
    if (const Result<void> opened =
            connection.open(address(database), QStringLiteral("servidor-de-prueba"));
        !opened.ok()) {
        failure = opened.error();
        return false;
    }
    QSqlQuery query(connection.database());
    if (!query.exec(sql)) {
        failure = query.lastError().text();
        return false;
    }
    return true;
}

QString PostgresServer::createDocumentDatabase(const QString &name) {
    if (!exec(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name)))
        qFatal("base de datos %s: %s", qPrintable(name), qPrintable(failure));
    if (const Result<void> created = createServerSchema(address(name)); !created.ok())
        qFatal("base de datos %s: %s", qPrintable(name), qPrintable(created.error()));
    return address(name);
}

} // namespace robot

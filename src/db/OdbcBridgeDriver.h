#pragma once

#include <QSqlDriver>
#include <QString>

namespace robot {

class OdbcBridgeClient;

// A Qt SQL driver whose connection is an ODBC connection string served by a bridge program
// (robot-fiscal-printer-bridge --odbc): the 64-bit station reaches the 32-bit Access driver
// every Windows has, and a driver that hangs holds only its bridge. Prepared statements with
// positional parameters (Qt turns named ones into positions), forward reading in batches,
// transactions. Each statement has OdbcBridgeClient::kLimitMs to answer; past it, or when the
// bridge dies, the statement fails and the connection reads as closed, so its owner connects
// again (a new bridge) as after a server's cut.
class OdbcBridgeDriver : public QSqlDriver {
    Q_OBJECT
public:
    static const QString kName; // "ROBOTBRIDGEODBC"
    // Makes kName known to QSqlDatabase; called before a connection is added, once is enough.
    static void registerDriver();

    explicit OdbcBridgeDriver(QObject *parent = nullptr);
    ~OdbcBridgeDriver() override;

    bool hasFeature(DriverFeature feature) const override;
    // `db` is the connection string; the bridge is the one platform::databaseBridgeCommand names.
    bool open(const QString &db, const QString &user, const QString &password, const QString &host,
              int port, const QString &options) override;
    void close() override;
    QSqlResult *createResult() const override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

    OdbcBridgeClient &client() const { return *bridge; }
    // A reply missed (time limit, a dead bridge): the connection is gone.
    void lose(const QString &why);

private:
    bool transaction(int step, const QString &what);
    OdbcBridgeClient *bridge;
};

} // namespace robot

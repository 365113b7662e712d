#include "platform/AccessOdbc.h"

#include <QSettings>

namespace robot {

namespace {

// The drivers ODBC lists as installed, in the registry's 64-bit or 32-bit view.
bool installed(const QString &driver, QSettings::Format view) {
    const QSettings drivers(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers"), view);
    return drivers.value(driver).toString().compare(QStringLiteral("Installed"),
                                                    Qt::CaseInsensitive) == 0;
}

} // namespace

AccessDrivers installedAccessDrivers() {
    AccessDrivers found;
    found.aceInProcess = installed(kAceDriver, QSettings::NativeFormat);
    found.jet32 = installed(kJetDriver, QSettings::Registry32Format);
    return found;
}

} // namespace robot

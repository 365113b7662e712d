#include "commands/StatusReport.h"

#include "db/PrintJournal.h"
#include "db/ServerAddress.h"
#include "db/StationStatus.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace robot {

namespace {

// A station that wrote nothing for this long is taken for gone: it writes every 30 s.
constexpr qint64 kSilentSeconds = 120;

QString when(const QDateTime &time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ago(qint64 seconds) {
    if (seconds < 120)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 2 * 3600)
        return QStringLiteral("%1 min").arg(seconds / 60);
    if (seconds < 2 * 86400)
        return QStringLiteral("%1 h").arg(seconds / 3600);
    return QStringLiteral("%1 días").arg(seconds / 86400);
}

// A credit note's record keeps its own Código: its printer number is the counter read just
// before it, plus one.
QString printerCoupon(const PrintJournal::Entry &entry) {
    if (entry.kind == DocumentKind::Factura && !entry.coupon.isEmpty())
        return entry.coupon;
    return QString::number(entry.couponBefore + 1).rightJustified(6, u'0');
}

QString stationLine(const StationStatus &s, bool *attention) {
    const bool silent = s.silentSeconds > kSilentSeconds;
    *attention = silent || s.state == QLatin1String("detenido por falla") ||
                 s.state == QLatin1String("documento retenido") ||
                 s.paper == QLatin1String("sin papel");
    QString line = QStringLiteral("%1Caja %2 (%3, versión %4): ")
                       .arg(*attention ? QStringLiteral("AVISO ") : QStringLiteral("OK    "))
                       .arg(s.caja)
                       .arg(s.computer, s.version);
    line += silent ? QStringLiteral("sin señal desde %1 (hace %2); último estado: %3")
                         .arg(when(s.lastSign), ago(s.silentSeconds), s.state)
                   : s.state;
    if (!s.document.isEmpty())
        line += QStringLiteral("; documento en curso: %1").arg(s.document);
    line += QStringLiteral("; pendientes: %1; papel: %2").arg(s.pending).arg(s.paper);
    if (!s.message.isEmpty())
        line += QStringLiteral("; último mensaje: «%1»").arg(s.message.simplified());
    if (!silent)
        line += QStringLiteral("; última señal %1").arg(when(s.lastSign));
    return line + u'.';
}

} // namespace

ExitCode reportServerStatus(const QString &address, QTextStream &out) {
    const Result<QList<StationStatus>> rows = readStationStatuses(address);
    const QString server = serverAddress(address)->shown();
    if (!rows.ok()) {
        out << QStringLiteral("No se pudo leer el estado de las estaciones en el servidor %1: %2")
                   .arg(server, rows.error())
            << Qt::endl;
        return ExitCode::NotDone;
    }
    int needy = 0;
    for (const StationStatus &status : rows.value()) {
        bool attention = false;
        out << stationLine(status, &attention) << u'\n';
        needy += attention ? 1 : 0;
    }
    if (rows.value().isEmpty())
        out << QStringLiteral("Ninguna estación escribió aún su estado en el servidor %1: "
                              "aparecen al iniciarse.")
                   .arg(server)
            << Qt::endl;
    else
        out << QStringLiteral("Estaciones en el servidor %1: %2; necesitan atención: %3.")
                   .arg(server)
                   .arg(rows.value().size())
                   .arg(needy)
            << Qt::endl;
    return needy == 0 ? ExitCode::Done : ExitCode::NotDone;
}

ExitCode reportJournalStatus(const QString &journalPath, qint32 caja, QTextStream &out) {
    if (!QFileInfo::exists(journalPath)) {
        out << QStringLiteral("Esta estación aún no imprimió ningún documento: no hay diario de "
                              "impresión (%1).")
                   .arg(QDir::toNativeSeparators(journalPath))
            << Qt::endl;
        return ExitCode::Done;
    }
    PrintJournal journal;
    const Result<void> opened = journal.openReadOnly(journalPath);
    const Result<QList<PrintJournal::Entry>> read =
        opened.ok() ? journal.history() : Failure{opened.error()};
    if (!read.ok()) {
        out << read.error() << Qt::endl;
        return ExitCode::NotDone;
    }
    const QList<PrintJournal::Entry> &entries = read.value();
    const PrintJournal::Entry *last = nullptr;
    QStringList held;
    for (const PrintJournal::Entry &entry : entries) {
        if (entry.caja != caja)
            continue;
        const QString document = PrintJournal::describe(entry);
        switch (entry.state) {
        case PrintJournal::State::Done:
        case PrintJournal::State::Printed:
            last = &entry;
            break;
        case PrintJournal::State::Unknown:
            held << QStringLiteral("Documento retenido desde %1: %2. La impresora no pudo decir "
                                   "si salió: revise el papel; si no salió, use --allow-reprint.")
                        .arg(when(entry.started), document);
            break;
        case PrintJournal::State::Open:
        case PrintJournal::State::OpenNumbered:
            held << QStringLiteral("Documento abierto en la impresora desde %1: %2. Anule el "
                                   "cupón con --cancel-coupon o desde la estación.")
                        .arg(when(entry.started), document);
            break;
        default:
            break;
        }
    }
    if (last)
        out << QStringLiteral("Último documento impreso: %1, cupón %2, %3%4.")
                   .arg(PrintJournal::describe(*last), printerCoupon(*last), when(last->started),
                        last->state == PrintJournal::State::Printed
                            ? QStringLiteral(" (aún sin marcar en la base de datos)")
                            : QString())
            << u'\n';
    else
        out << QStringLiteral("Esta estación aún no imprimió ningún documento.") << u'\n';
    for (const QString &line : held)
        out << line << u'\n';
    out << (held.isEmpty()
                ? QStringLiteral("Ningún documento retenido.")
                : QStringLiteral("Documentos que esperan a una persona: %1.").arg(held.size()))
        << Qt::endl;
    return held.isEmpty() ? ExitCode::Done : ExitCode::NotDone;
}

} // namespace robot

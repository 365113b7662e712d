#include "FaultRules.h"

#include "PrinterLog.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

const QStringList kEntryPoints = {
    "Bematech_FI_AbreComprobanteDeVentaEx",
    "Bematech_FI_VendeArticulo",
    "Bematech_FI_IniciaCierreCupon",
    "Bematech_FI_EfectuaFormaPago",
    "Bematech_FI_FinalizarCierreCupon",
    "Bematech_FI_NumeroCupon",
    "Bematech_FI_NumeroReducciones",
    "Bematech_FI_NumeroIntervenciones",
    "Bematech_FI_AccionaGaveta",
    "Bematech_FI_AbreNotaDeCredito",
    "Bematech_FI_CierraCuponReducido",
    "Bematech_FI_AnulaCupon",
    "Bematech_FI_LecturaX",
    "Bematech_FI_ReduccionZ",
    "Bematech_FI_NumeroSerie",
    "Bematech_FI_DatosUltimaReduccion",
    "Bematech_FI_ContadoresTotalizadoresNoFiscales",
    "Bematech_FI_NumeroSustituicionesPropietario",
    "Bematech_FI_LeerArchivoRetorno",
    "Bematech_FI_RetornoImpresora",
};

const QString kCountersFile = QStringLiteral("fault-counters.json");

// Whether a rule naming an entry point, with an optional N-th call, hits this call.
// A malformed rule hits nothing and sets malformed.
bool targets(const QStringList &words, const QString &entryPoint, int call, bool *malformed) {
    bool countOk = true;
    const int nth = words.size() == 3 ? words[2].toInt(&countOk) : 0;
    if (words.size() < 2 || words.size() > 3 || !kEntryPoints.contains(words[1]) || !countOk ||
        (words.size() == 3 && nth < 1)) {
        *malformed = true;
        return false;
    }
    return words[1] == entryPoint && (words.size() == 2 || nth == call);
}

} // namespace

FaultDecision faultsForCall(const QDir &dir, const QString &entryPoint) {
    QByteArray content;
    QFile faults(dir.filePath(QStringLiteral("faults")));
    if (faults.open(QIODevice::ReadOnly))
        content = faults.readAll();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex());

    QJsonObject counters;
    QFile stored(dir.filePath(kCountersFile));
    if (stored.open(QIODevice::ReadOnly))
        counters = QJsonDocument::fromJson(stored.readAll()).object();
    const bool changed = counters["faultsHash"].toString() != hash;
    // Without rules nothing needs counting; the hash alone marks where counting starts.
    const bool noRules = content.trimmed().isEmpty();
    QJsonObject calls = changed ? QJsonObject{} : counters["calls"].toObject();
    const int call = calls[entryPoint].toInt() + 1;
    if (!noRules)
        calls[entryPoint] = call;
    if (changed || !noRules) {
        QSaveFile save(dir.filePath(kCountersFile));
        if (save.open(QIODevice::WriteOnly)) {
            save.write(QJsonDocument(QJsonObject{{"faultsHash", hash}, {"calls", calls}}).toJson());
            save.commit();
        }
    }
    if (noRules)
        return {};

    FaultDecision decision;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString &raw : QString::fromUtf8(content).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList words = line.split(blanks);
        const QString &rule = words[0];
        bool malformed = false;
        if (rule == QLatin1String("offline") && words.size() == 1) {
            decision.offline = true;
        } else if (rule == QLatin1String("paper-out") && words.size() == 1) {
            decision.paperOut = true;
        } else if (rule == QLatin1String("paper-low") && words.size() == 1) {
            decision.paperLow = true;
        } else if (rule == QLatin1String("delay") && words.size() == 2) {
            bool ok = false;
            const int ms = words[1].toInt(&ok);
            malformed = !ok || ms < 0;
            if (!malformed)
                decision.delayMs = ms;
        } else if (rule == QLatin1String("refuse")) {
            decision.refuse |= targets(words, entryPoint, call, &malformed);
        } else if (rule == QLatin1String("ack21")) {
            decision.nak |= targets(words, entryPoint, call, &malformed);
        } else if (rule == QLatin1String("crash")) {
            decision.crash |= targets(words, entryPoint, call, &malformed);
        } else {
            malformed = true;
        }
        // Said once per content of the file, not at every call.
        if (malformed && changed)
            noteInPrinterLog(dir, QStringLiteral("faults: ignored line: ") + line);
    }
    return decision;
}

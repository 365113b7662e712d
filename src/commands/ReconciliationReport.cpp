#include "commands/ReconciliationReport.h"

#include "journal/PrinterCounters.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <limits>

namespace robot {

namespace {

using Kind = Finding::Kind;

QString coupon(qint64 number) {
    return QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0'));
}

QString capitalized(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QString document(DocumentKind kind, qint64 codigo) {
    return describeDocument(kind, codigo);
}

QString day(const QDate &date) {
    return date.toString(Qt::ISODate);
}

bool printedByStation(PrintJournal::State state) {
    return state == PrintJournal::State::Done || state == PrintJournal::State::Printed;
}

bool inRange(const QDate &date, const ReconciliationInput &input) {
    if (!input.from.isValid() && !input.to.isValid())
        return true;
    return date.isValid() && (!input.from.isValid() || date >= input.from) &&
           (!input.to.isValid() || date <= input.to);
}

QString waited(const QDateTime &since, const QDateTime &now) {
    if (!since.isValid())
        return QStringLiteral("desde una fecha que el diario no guarda");
    const qint64 minutes = std::max<qint64>(0, since.secsTo(now) / 60);
    return QStringLiteral("desde %1 (%2 h %3 min)")
        .arg(since.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
        .arg(minutes / 60)
        .arg(minutes % 60);
}

quint64 key(DocumentKind kind, qint64 codigo) {
    return (quint64(codigo) << 1) | (kind == DocumentKind::NotaCredito ? 1 : 0);
}

// The printer's coupon counter numbers invoices and credit notes alike. An invoice's record
// keeps its number in Control; a credit note's keeps its own Código there, so its number is
// known only from the journal: the counter read just before it was printed, plus one.
class Reconciler {
public:
    explicit Reconciler(const ReconciliationInput &input) : input(input) {}

    ReconciliationReport run() {
        readRecords();
        readJournal();
        duplicates();
        holes();
        journalAgainstRecords();
        heldBack();
        report.summary = summary();
        return std::move(report);
    }

private:
    struct Holder {
        DocumentKind kind;
        qint64 codigo;
        QDate fecha;
    };

    void add(Kind kind, const QString &text, const QString &documents = {},
             const QString &number = {}, const QString &date = {}) {
        report.findings.append({kind, text, documents, number, date});
    }

    void readRecords() {
        for (const MarkedRecord &record : input.records) {
            markedOn.insert(key(record.kind, record.codigo), record.fecha);
            if (record.kind != DocumentKind::Factura)
                continue;
            const std::optional<qint64> number = documentCounter(record.control);
            if (number && *number > 0)
                held.insert(*number);
            if (!inRange(record.fecha, input))
                continue;
            if (!number || *number == 0) {
                add(Kind::Unreadable,
                    QStringLiteral("%1: el número de control «%2» no es un número de cupón.")
                        .arg(capitalized(document(record.kind, record.codigo)), record.control),
                    document(record.kind, record.codigo), record.control, day(record.fecha));
                continue;
            }
            holders[*number].append({record.kind, record.codigo, record.fecha});
            ++numbered;
        }
    }

    void readJournal() {
        for (const PrintJournal::Entry &entry : input.journal) {
            if (entry.caja != input.caja)
                continue;
            if (!firstStarted.isValid() || entry.started < firstStarted)
                firstStarted = entry.started;
            journalFloor = std::min(journalFloor, entry.couponBefore);
            const qint64 number = entry.couponBefore + 1;
            if (printedByStation(entry.state)) {
                printed.insert(key(entry.kind, entry.codigo), &entry);
                const bool marked = markedOn.contains(key(entry.kind, entry.codigo));
                if (entry.kind == DocumentKind::NotaCredito && marked) {
                    held.insert(number);
                    if (inRange(entry.started.date(), input)) {
                        holders[number].append({entry.kind, entry.codigo, entry.started.date()});
                        ++numbered;
                    }
                } else if (!marked) {
                    unmarkedAt.insert(number, &entry);
                }
            } else if (entry.state == PrintJournal::State::Cancelled) {
                cancelledAt.insert(number, &entry);
            }
        }
        for (const JournalReport &report : input.reports)
            if (const std::optional<qint64> taken = report.couponTaken();
                taken && report.caja == input.caja)
                reportAt.insert(*taken, &report);
    }

    void duplicates() {
        for (auto it = holders.cbegin(); it != holders.cend(); ++it) {
            if (it.value().size() < 2)
                continue;
            QStringList names;
            QStringList dates;
            for (const Holder &holder : it.value()) {
                names << document(holder.kind, holder.codigo);
                if (!dates.contains(day(holder.fecha)))
                    dates << day(holder.fecha);
            }
            const QString listed = names.join(QStringLiteral(", "));
            add(Kind::Duplicate,
                QStringLiteral("El cupón %1 está en %2 registros: %3.")
                    .arg(coupon(it.key()))
                    .arg(names.size())
                    .arg(listed),
                listed, coupon(it.key()), dates.join(QStringLiteral(", ")));
        }
    }

    // Numbers from the first one held to the printer's counter (or, for a closed period, the
    // last one held) that no record holds; consecutive unexplained ones in one line.
    void holes() {
        if (holders.isEmpty())
            return;
        const qint64 first = holders.firstKey();
        const qint64 last = input.to.isValid() || !input.printerCoupon
                                ? holders.lastKey()
                                : std::max(holders.lastKey(), *input.printerCoupon);
        qint64 runStart = 0;
        auto closeRun = [&](qint64 end) {
            if (runStart == 0)
                return;
            const qint64 count = end - runStart + 1;
            add(Kind::Hole,
                count == 1
                    ? QStringLiteral("El cupón %1 no está en ningún registro: sin explicación "
                                     "(impreso fuera de la estación, o un registro cambiado).")
                          .arg(coupon(runStart))
                    : QStringLiteral("Los cupones %1 a %2 (%3) no están en ningún registro: sin "
                                     "explicación (impresos fuera de la estación, o registros "
                                     "cambiados).")
                          .arg(coupon(runStart), coupon(end))
                          .arg(count),
                {},
                count == 1 ? coupon(runStart)
                           : QStringLiteral("%1 a %2").arg(coupon(runStart), coupon(end)));
            runStart = 0;
        };
        for (qint64 n = first + 1; n <= last; ++n) {
            if (held.contains(n)) {
                closeRun(n - 1);
                continue;
            }
            if (const JournalReport *report = reportAt.value(n)) {
                closeRun(n - 1);
                add(Kind::ExplainedHole,
                    QStringLiteral("El cupón %1 no está en ningún registro: %2 de la estación "
                                   "(%3).")
                        .arg(coupon(n), report->describe(),
                             report->at.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                    report->describe(), coupon(n), day(report->at.date()));
                continue;
            }
            const PrintJournal::Entry *cancelled = cancelledAt.value(n);
            const PrintJournal::Entry *unmarked = unmarkedAt.value(n);
            if (cancelled || unmarked) {
                closeRun(n - 1);
                const PrintJournal::Entry *entry = cancelled ? cancelled : unmarked;
                add(Kind::ExplainedHole,
                    QStringLiteral("El cupón %1 no está en ningún registro: %2 (%3).")
                        .arg(coupon(n),
                             cancelled ? QStringLiteral("anulado por la estación")
                                       : QStringLiteral("impreso por la estación, sin marcar"),
                             document(entry->kind, entry->codigo)),
                    document(entry->kind, entry->codigo), coupon(n), day(entry->started.date()));
                continue;
            }
            if (runStart == 0)
                runStart = n;
        }
        closeRun(last);
    }

    void journalAgainstRecords() {
        for (const PrintJournal::Entry *entry : std::as_const(unmarkedAt))
            if (inRange(entry->started.date(), input))
                add(Kind::NotMarked,
                    QStringLiteral("%1: la estación la imprimió (cupón %2) pero el registro no "
                                   "está marcado.")
                        .arg(capitalized(document(entry->kind, entry->codigo)),
                             coupon(entry->couponBefore + 1)),
                    document(entry->kind, entry->codigo), coupon(entry->couponBefore + 1),
                    day(entry->started.date()));
        // What was marked before the journal's first document, the journal cannot tell.
        if (!firstStarted.isValid())
            return;
        for (const MarkedRecord &record : input.records) {
            if (printed.contains(key(record.kind, record.codigo)) || !inRange(record.fecha, input))
                continue;
            const std::optional<qint64> number = documentCounter(record.control);
            const bool afterJournalBegan = record.kind == DocumentKind::Factura
                                               ? number && *number > journalFloor
                                               : record.fecha >= firstStarted.date();
            if (afterJournalBegan)
                add(Kind::MarkedOutside,
                    QStringLiteral("%1 está marcada (control %2), pero la estación no la "
                                   "imprimió: la marcó otro programa o una persona.")
                        .arg(capitalized(document(record.kind, record.codigo)), record.control),
                    document(record.kind, record.codigo),
                    record.kind == DocumentKind::Factura ? record.control : QString(),
                    day(record.fecha));
        }
    }

    void heldBack() {
        for (const PrintJournal::Entry &entry : input.journal)
            if (entry.caja == input.caja && entry.state == PrintJournal::State::Unknown)
                add(Kind::HeldBack,
                    QStringLiteral("%1 está retenida %2: revise el papel y márquela, o permita "
                                   "imprimirla de nuevo (robot-fiscal --allow-reprint).")
                        .arg(capitalized(document(entry.kind, entry.codigo)),
                             waited(entry.started, input.now)),
                    document(entry.kind, entry.codigo), {}, day(entry.started.date()));
    }

    QString summary() const {
        int counts[7] = {};
        for (const Finding &finding : report.findings)
            ++counts[int(finding.kind)];
        const QString printer = input.printerCoupon
                                    ? QStringLiteral("último cupón de la impresora %1")
                                          .arg(coupon(*input.printerCoupon))
                                    : QStringLiteral("la impresora no respondió: los huecos se "
                                                     "cuentan hasta el último registro");
        const QString head = QStringLiteral("Caja %1: %2 documentos con número de cupón, %3.")
                                 .arg(input.caja)
                                 .arg(numbered)
                                 .arg(printer);
        if (report.clean())
            return head + QStringLiteral(" Sin hallazgos.");
        return head + QStringLiteral(" Hallazgos: %1 cupones repetidos, %2 números ilegibles, %3 "
                                     "huecos sin explicación, %4 impresos sin marcar, %5 marcados "
                                     "por otro, %6 retenidos.")
                          .arg(counts[int(Kind::Duplicate)])
                          .arg(counts[int(Kind::Unreadable)])
                          .arg(counts[int(Kind::Hole)])
                          .arg(counts[int(Kind::NotMarked)])
                          .arg(counts[int(Kind::MarkedOutside)])
                          .arg(counts[int(Kind::HeldBack)]);
    }

    const ReconciliationInput &input;
    ReconciliationReport report;
    QMap<qint64, QList<Holder>> holders; // numbers in the period, by who holds them
    QSet<qint64> held;                   // every number held, in the period or not
    qsizetype numbered = 0;
    QHash<quint64, QDate> markedOn;
    QHash<quint64, const PrintJournal::Entry *> printed;
    QHash<qint64, const PrintJournal::Entry *> unmarkedAt;
    QHash<qint64, const PrintJournal::Entry *> cancelledAt;
    QHash<qint64, const JournalReport *> reportAt; // the number each report took
    QDateTime firstStarted;
    qint64 journalFloor = std::numeric_limits<qint64>::max();
};

} // namespace

bool ReconciliationReport::clean() const {
    return std::all_of(findings.cbegin(), findings.cend(),
                       [](const Finding &f) { return f.kind == Kind::ExplainedHole; });
}

ReconciliationReport reconcile(const ReconciliationInput &input) {
    return Reconciler(input).run();
}

QString reconciliationCsv(const ReconciliationReport &report) {
    static const char *const names[] = {"duplicado",       "ilegible",   "hueco",
                                        "hueco explicado", "sin marcar", "marcado por otro",
                                        "retenido"};
    // Quoted only where a spreadsheet needs it: a comma, a quote or a line break inside.
    const auto field = [](const QString &value) {
        static const QRegularExpression special(QStringLiteral("[,\"\r\n]"));
        return value.contains(special)
                   ? u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"'
                   : value;
    };
    const auto row = [&field](const QStringList &fields) {
        QStringList quoted;
        for (const QString &value : fields)
            quoted << field(value);
        return quoted.join(u',') + QStringLiteral("\r\n");
    };
    QString csv = QChar(0xFEFF) + row({QStringLiteral("tipo"), QStringLiteral("documento"),
                                       QStringLiteral("numero"), QStringLiteral("fecha"),
                                       QStringLiteral("explicacion")});
    for (const Finding &finding : report.findings)
        csv += row({QLatin1String(names[int(finding.kind)]), finding.documents, finding.number,
                    finding.date, finding.text});
    csv += row({QStringLiteral("resumen"), {}, {}, {}, report.summary});
    return csv;
}

} // namespace robot

#include "StateStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString kFileName = QStringLiteral("state.json");

qint64 cents(const QJsonValue &value) {
    return static_cast<qint64>(value.toDouble());
}

QJsonObject toJson(const DayTotals &t) {
    return {{"sales", t.sales},
            {"creditNotes", t.creditNotes},
            {"cancelled", t.cancelled},
            {"salesCents", double(t.salesCents)},
            {"salesTaxCents", double(t.salesTaxCents)},
            {"creditCents", double(t.creditCents)},
            {"creditTaxCents", double(t.creditTaxCents)},
            {"discountCents", double(t.discountCents)},
            {"surchargeCents", double(t.surchargeCents)}};
}

DayTotals dayFromJson(const QJsonObject &o) {
    DayTotals t;
    t.sales = o["sales"].toInt();
    t.creditNotes = o["creditNotes"].toInt();
    t.cancelled = o["cancelled"].toInt();
    t.salesCents = cents(o["salesCents"]);
    t.salesTaxCents = cents(o["salesTaxCents"]);
    t.creditCents = cents(o["creditCents"]);
    t.creditTaxCents = cents(o["creditTaxCents"]);
    t.discountCents = cents(o["discountCents"]);
    t.surchargeCents = cents(o["surchargeCents"]);
    return t;
}

QJsonObject toJson(const Document &d) {
    QJsonArray items;
    for (const Item &item : d.items)
        items.append(QJsonObject{{"taxCode", item.taxCode},
                                 {"amountCents", double(item.amountCents)},
                                 {"taxCents", double(item.taxCents)}});
    QJsonArray payments;
    for (const Payment &payment : d.payments)
        payments.append(QJsonObject{{"form", payment.form}, {"cents", double(payment.cents)}});
    return {{"kind", d.kind == DocumentKind::Sale ? "sale" : "creditNote"},
            {"number", d.number},
            {"stage", d.stage == DocumentStage::Items ? "items" : "closing"},
            {"items", items},
            {"adjustmentCents", double(d.adjustmentCents)},
            {"payments", payments}};
}

Document documentFromJson(const QJsonObject &o) {
    Document d;
    d.kind = o["kind"].toString() == "sale" ? DocumentKind::Sale : DocumentKind::CreditNote;
    d.number = o["number"].toInt();
    d.stage = o["stage"].toString() == "items" ? DocumentStage::Items : DocumentStage::Closing;
    for (const QJsonValue &v : o["items"].toArray()) {
        const QJsonObject item = v.toObject();
        d.items.append(
            {item["taxCode"].toString(), cents(item["amountCents"]), cents(item["taxCents"])});
    }
    d.adjustmentCents = cents(o["adjustmentCents"]);
    for (const QJsonValue &v : o["payments"].toArray()) {
        const QJsonObject payment = v.toObject();
        d.payments.append({payment["form"].toString(), cents(payment["cents"])});
    }
    return d;
}

QJsonObject toJson(const FiscalMemory &m) {
    QJsonObject o{{"serial", m.serial},
                  {"documents", m.documents},
                  {"reductions", m.reductions},
                  {"interventions", m.interventions},
                  {"ownerReplacements", m.ownerReplacements},
                  {"xReadings", m.xReadings},
                  {"drawerOpenings", m.drawerOpenings},
                  {"day", toJson(m.day)},
                  {"lastStatus", QJsonArray{m.last.ack, m.last.st1, m.last.st2}},
                  {"lastCall", m.lastCall}};
    if (m.lastReduction)
        o["lastReduction"] = QJsonObject{{"number", m.lastReduction->number},
                                         {"when", m.lastReduction->when.toString(Qt::ISODate)},
                                         {"lastDocument", m.lastReduction->lastDocument},
                                         {"totals", toJson(m.lastReduction->totals)}};
    if (m.document)
        o["document"] = toJson(*m.document);
    return o;
}

FiscalMemory memoryFromJson(const QJsonObject &o) {
    FiscalMemory m;
    m.serial = o["serial"].toString(m.serial);
    m.documents = o["documents"].toInt();
    m.reductions = o["reductions"].toInt();
    m.interventions = o["interventions"].toInt();
    m.ownerReplacements = o["ownerReplacements"].toInt();
    m.xReadings = o["xReadings"].toInt();
    m.drawerOpenings = o["drawerOpenings"].toInt();
    m.day = dayFromJson(o["day"].toObject());
    const QJsonArray status = o["lastStatus"].toArray();
    if (status.size() == 3)
        m.last = {short(status[0].toInt()), short(status[1].toInt()), short(status[2].toInt())};
    m.lastCall = o["lastCall"].toString();
    if (o.contains("lastReduction")) {
        const QJsonObject r = o["lastReduction"].toObject();
        m.lastReduction =
            Reduction{r["number"].toInt(), QDateTime::fromString(r["when"].toString(), Qt::ISODate),
                      r["lastDocument"].toInt(), dayFromJson(r["totals"].toObject())};
    }
    if (o["document"].isObject())
        m.document = documentFromJson(o["document"].toObject());
    return m;
}

} // namespace

namespace StateStore {

std::optional<FiscalMemory> load(const QDir &dir, QString *error) {
    QFile file(dir.filePath(kFileName));
    if (!file.exists())
        return FiscalMemory{};
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!json.isObject()) {
        *error = parseError.errorString();
        return std::nullopt;
    }
    return memoryFromJson(json.object());
}

bool save(const QDir &dir, const FiscalMemory &memory) {
    QSaveFile file(dir.filePath(kFileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(toJson(memory)).toJson());
    return file.commit();
}

} // namespace StateStore

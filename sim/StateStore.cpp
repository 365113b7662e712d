#include "StateStore.h"

#include "Platform.h"

#include <locale>
#include <sstream>

// One "key=value" a line; numbers of a record are separated by commas, texts come last on
// their line with backslash, CR and LF escaped. The file is the virtual printer's own.

namespace {

const char *const kFileName = "/fiscal-memory.txt";

std::string escaped(const std::string &text) {
    std::string out;
    for (const char ch : text)
        out += ch == '\\' ? "\\\\" : ch == '\n' ? "\\n" : ch == '\r' ? "\\r" : std::string(1, ch);
    return out;
}

std::string unescaped(const std::string &text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

// Reads comma-separated numbers from a line's value; the rest after the last is the text.
class Fields {
public:
    explicit Fields(const std::string &value) : in(value) { in.imbue(std::locale::classic()); }
    template <typename T> Fields &operator>>(T &number) {
        long long n = 0;
        if (!(in >> n) || (in.peek() != ',' && in.peek() != std::char_traits<char>::eof()))
            failed = true;
        in.ignore(1);
        number = T(n);
        return *this;
    }
    std::string rest() {
        std::string text;
        std::getline(in, text);
        return unescaped(text);
    }
    bool ok() const { return !failed; }

private:
    std::istringstream in;
    bool failed = false;
};

// The classic locale: the host process may have set a global one that groups digits.
std::ostringstream stream() {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    return out;
}

std::string day(const DayTotals &t) {
    std::ostringstream out = stream();
    out << t.sales << ',' << t.creditNotes << ',' << t.cancelled << ',' << t.salesCents << ','
        << t.salesTaxCents << ',' << t.creditCents << ',' << t.creditTaxCents << ','
        << t.discountCents << ',' << t.surchargeCents;
    return out.str();
}

void readDay(Fields &in, DayTotals &t) {
    in >> t.sales >> t.creditNotes >> t.cancelled >> t.salesCents >> t.salesTaxCents >>
        t.creditCents >> t.creditTaxCents >> t.discountCents >> t.surchargeCents;
}

std::string serialized(const FiscalMemory &m) {
    std::ostringstream out = stream();
    out << "serial=" << escaped(m.serial) << '\n'
        << "counters=" << m.documents << ',' << m.reductions << ',' << m.interventions << ','
        << m.ownerReplacements << ',' << m.xReadings << ',' << m.drawerOpenings << '\n'
        << "day=" << day(m.day) << '\n'
        << "last=" << m.last.ack << ',' << m.last.st1 << ',' << m.last.st2 << ','
        << escaped(m.lastCall) << '\n';
    if (m.numbersAtOpening)
        out << "numbering=opening\n";
    if (const auto &r = m.lastReduction) {
        const DateTime &w = r->when;
        out << "reduction=" << r->number << ',' << w.year << ',' << w.month << ',' << w.day << ','
            << w.hour << ',' << w.minute << ',' << w.second << ',' << r->lastDocument << ','
            << day(r->totals) << '\n';
    }
    if (const auto &d = m.document) {
        out << "document=" << int(d->kind) << ',' << d->number << ',' << int(d->stage) << ','
            << d->adjustmentCents << '\n';
        for (const Item &item : d->items)
            out << "item=" << item.amountCents << ',' << item.taxCents << ','
                << escaped(item.taxCode) << '\n';
        for (const Payment &payment : d->payments)
            out << "payment=" << payment.cents << ',' << escaped(payment.form) << '\n';
    }
    return out.str();
}

// False when a line is not understood: the memory is then not trusted at all.
bool readLine(const std::string &key, const std::string &value, FiscalMemory &m) {
    Fields in(value);
    if (key == "serial") {
        m.serial = unescaped(value);
    } else if (key == "counters") {
        in >> m.documents >> m.reductions >> m.interventions >> m.ownerReplacements >>
            m.xReadings >> m.drawerOpenings;
    } else if (key == "day") {
        readDay(in, m.day);
    } else if (key == "last") {
        in >> m.last.ack >> m.last.st1 >> m.last.st2;
        m.lastCall = in.rest();
    } else if (key == "numbering") {
        if (value != "opening" && value != "closing")
            return false;
        m.numbersAtOpening = value == "opening";
    } else if (key == "reduction") {
        Reduction r;
        DateTime &w = r.when;
        in >> r.number >> w.year >> w.month >> w.day >> w.hour >> w.minute >> w.second >>
            r.lastDocument;
        readDay(in, r.totals);
        m.lastReduction = r;
    } else if (key == "document") {
        Document d;
        int kind = 0, stage = 0;
        in >> kind >> d.number >> stage >> d.adjustmentCents;
        d.kind = kind == int(DocumentKind::Sale) ? DocumentKind::Sale : DocumentKind::CreditNote;
        d.stage =
            stage == int(DocumentStage::Items) ? DocumentStage::Items : DocumentStage::Closing;
        m.document = d;
    } else if (key == "item" && m.document) {
        Item item;
        in >> item.amountCents >> item.taxCents;
        item.taxCode = in.rest();
        m.document->items.push_back(item);
    } else if (key == "payment" && m.document) {
        Payment payment;
        in >> payment.cents;
        payment.form = in.rest();
        m.document->payments.push_back(payment);
    } else {
        return false;
    }
    return in.ok();
}

} // namespace

namespace StateStore {

std::optional<FiscalMemory> load(const std::string &dir, std::string *error) {
    std::string bytes;
    switch (platform::readFile(dir + kFileName, &bytes)) {
    case platform::ReadResult::Missing: {
        // A new printer: which numbering rule it follows is chosen once, when it is made.
        FiscalMemory fresh;
        fresh.numbersAtOpening = platform::environment("VIRTUAL_PRINTER_NUMBERING") == "opening";
        return fresh;
    }
    case platform::ReadResult::Failed:
        *error = "cannot read the file";
        return std::nullopt;
    case platform::ReadResult::Done:
        break;
    }
    FiscalMemory memory;
    bool hasSerial = false;
    std::istringstream lines(bytes);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        if (eq == std::string::npos || !readLine(key, line.substr(eq + 1), memory)) {
            *error = "line " + std::to_string(number) + " not understood";
            return std::nullopt;
        }
        hasSerial |= key == "serial";
    }
    // An empty or foreign file is no printer's memory.
    if (!hasSerial) {
        *error = "no serial number";
        return std::nullopt;
    }
    return memory;
}

bool save(const std::string &dir, const FiscalMemory &memory) {
    return platform::replaceFile(dir + kFileName, serialized(memory));
}

} // namespace StateStore

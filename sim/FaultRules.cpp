#include "FaultRules.h"

#include "Platform.h"
#include "PrinterLog.h"
#include "printer/EntryPoints.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

namespace {

const char *const kCountersFile = "/fault-counters.txt";

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

std::vector<std::string> words(const std::string &text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !isBlank(text[end]))
            ++end;
        out.push_back(text.substr(i, end - i));
        i = end;
    }
    return out;
}

std::string trimmed(const std::string &text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// An optional sign and up to nine digits.
bool toInt(const std::string &text, int *value) {
    const std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.size() == start || text.size() - start > 9)
        return false;
    for (std::size_t i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    *value = std::stoi(text);
    return true;
}

bool isEntryPoint(const std::string &name) {
    using namespace robot::fiscal;
    for (int i = 0; i < entryPointCount; ++i)
        if (name == symbolOf(EntryPoint(i)))
            return true;
    return false;
}

// Only to notice that the file changed: FNV-1a.
std::string hashOf(const std::string &bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char ch : bytes)
        hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

// "hash=H" then one "ENTRYPOINT=N" a line.
struct Counters {
    std::string hash;
    std::map<std::string, int> calls;
};

Counters readCounters(const std::string &bytes) {
    Counters counters;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = line.find('=');
        int count = 0;
        if (eq == std::string::npos)
            continue;
        if (line.compare(0, eq, "hash") == 0)
            counters.hash = line.substr(eq + 1);
        else if (toInt(line.substr(eq + 1), &count))
            counters.calls[line.substr(0, eq)] = count;
    }
    return counters;
}

// Whether a rule naming an entry point, with an optional N-th call, hits this call.
// A malformed rule hits nothing and sets malformed.
bool targets(const std::vector<std::string> &words, const std::string &entryPoint, int call,
             bool *malformed) {
    int nth = 0;
    const bool countOk = words.size() != 3 || toInt(words[2], &nth);
    if (words.size() < 2 || words.size() > 3 || !isEntryPoint(words[1]) || !countOk ||
        (words.size() == 3 && nth < 1)) {
        *malformed = true;
        return false;
    }
    return words[1] == entryPoint && (words.size() == 2 || nth == call);
}

} // namespace

FaultDecision faultsForCall(const std::string &dir, const std::string &entryPoint) {
    std::string content;
    if (platform::readFile(dir + "/faults", &content) != platform::ReadResult::Done)
        content.clear();
    const std::string hash = hashOf(content);

    std::string stored;
    Counters counters;
    if (platform::readFile(dir + kCountersFile, &stored) == platform::ReadResult::Done)
        counters = readCounters(stored);
    const bool changed = counters.hash != hash;
    // Without rules nothing needs counting; the hash alone marks where counting starts.
    const bool noRules = trimmed(content).empty();
    if (changed)
        counters = Counters{hash, {}};
    const int call = counters.calls[entryPoint] + 1;
    if (!noRules)
        counters.calls[entryPoint] = call;
    if (changed || !noRules) {
        std::string bytes = "hash=" + hash + '\n';
        for (const auto &[name, count] : counters.calls)
            if (count > 0)
                bytes += name + '=' + std::to_string(count) + '\n';
        platform::replaceFile(dir + kCountersFile, bytes);
    }
    if (noRules)
        return {};

    FaultDecision decision;
    std::size_t start = 0;
    while (start <= content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        const std::string line = trimmed(content.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> w = words(line);
        const std::string &rule = w[0];
        bool malformed = false;
        if (rule == "offline" && w.size() == 1) {
            decision.offline = true;
        } else if (rule == "paper-out" && w.size() == 1) {
            decision.paperOut = true;
        } else if (rule == "paper-low" && w.size() == 1) {
            decision.paperLow = true;
        } else if (rule == "delay" && w.size() == 2) {
            int ms = 0;
            malformed = !toInt(w[1], &ms) || ms < 0;
            if (!malformed)
                decision.delayMs = ms;
        } else if (rule == "refuse") {
            decision.refuse |= targets(w, entryPoint, call, &malformed);
        } else if (rule == "ack21") {
            decision.nak |= targets(w, entryPoint, call, &malformed);
        } else if (rule == "crash") {
            decision.crash |= targets(w, entryPoint, call, &malformed);
        } else {
            malformed = true;
        }
        // Said once per content of the file, not at every call.
        if (malformed && changed)
            noteInPrinterLog(dir, "faults: ignored line: " + line);
    }
    return decision;
}

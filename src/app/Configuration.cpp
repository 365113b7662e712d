#include "app/Configuration.h"

#include "core/Ansi.h"
#include "core/SystemErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <limits>

namespace robot {

namespace {

// Splits the file into fields the way the configuration has always been read: a field ends at
// a comma or a line end, leading spaces are skipped, and a quoted field may hold commas.
QStringList readFields(const QString &text) {
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto atLineEnd = [&](qsizetype k) { return text[k] == u'\n' || text[k] == u'\r'; };
    auto skipLineEnd = [&]() {
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    };
    while (i < n) {
        while (i < n && text[i] == u' ')
            ++i;
        QString field;
        if (i < n && text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            field = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            while (i < n && text[i] != u',' && !atLineEnd(i))
                ++i; // whatever follows the closing quote up to the delimiter is dropped
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && !atLineEnd(i))
                ++i;
            field = text.mid(start, i - start);
        }
        fields << field;
        if (i < n && text[i] == u',')
            ++i;
        else
            skipLineEnd();
    }
    return fields;
}

// Only spaces are blanks here: a tab or a no-break space is part of the value, as the file has
// always been read.
QString withoutOuterSpaces(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

// The decimal number at the start of the text: blanks inside it are ignored and reading stops
// at the first character that cannot continue the number; no number reads as 0.
double leadingNumber(const QString &text) {
    QString number;
    bool digits = false, point = false, exponent = false;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t')
            continue;
        const QChar last = number.isEmpty() ? QChar() : number.back();
        if (c.isDigit() && c.unicode() < 128) {
            number += c;
            digits = true;
        } else if ((c == u'+' || c == u'-') && (number.isEmpty() || last == u'e')) {
            number += c;
        } else if (c == u'.' && !point && !exponent) {
            number += c;
            point = true;
        } else if ((c == u'e' || c == u'E' || c == u'd' || c == u'D') && digits && !exponent) {
            number += u'e';
            exponent = true;
        } else {
            break;
        }
    }
    while (!number.isEmpty() && !number.back().isDigit() && number.back() != u'.')
        number.chop(1); // a dangling sign or exponent mark adds nothing
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace

QString nativeDataPath(const QString &configured) {
    if (QDir::separator() == u'/') {
        QString path = configured;
        path.replace(u'\\', u'/');
        return path;
    }
    return configured;
}

QString markerFilePath(const Settings &settings) {
    // The configured directory ends in a separator already; the doubled one is accepted.
    return nativeDataPath(settings.RutaDatos +
                          QStringLiteral("\\ActualizadorAlmacoraTerminal.inf"));
}

QString maintenanceMessage() {
    return QStringLiteral("El servidor parece estar en mantenimiento. Por favor verifique e "
                          "intente de nuevo más tarde.");
}

bool ChequeoExistenciaArchivo(const QString &TheFile) {
    if (TheFile.isEmpty())
        return false;
    const QFileInfo info(TheFile);
    return info.exists() && info.isFile() && !info.isHidden();
}

ConfigurationReading LeeConfiguracion(const QString &path) {
    ConfigurationReading reading;
    Settings &s = reading.settings;
    s.Caja = 0;
    s.Columnas80 = false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.outcome = ConfigurationReading::Outcome::Unreadable;
        reading.message =
            QStringLiteral("No se pudo leer el archivo de configuración %1. %2")
                .arg(QDir::toNativeSeparators(path), explainError(file.errorString()));
        return reading;
    }
    const QStringList fields = readFields(Ansi::decode(file.readAll()));

    static const char16_t *const keys[] = {u"Datos:",      u"Impresora:", u"Puerto:",
                                           u"80Columnas:", u"Serial:",    u"Caja:"};
    for (qsizetype position = 1; position <= 6 && position <= fields.size(); ++position) {
        const QString key = QString::fromUtf16(keys[position - 1]);
        const QString &field = fields[position - 1];
        if (!field.contains(key))
            continue;
        const QString value = field.mid(key.size());
        const QString trimmed = withoutOuterSpaces(value);
        if (trimmed.isEmpty() && position != 4)
            continue;
        switch (position) {
        case 1:
            s.RutaBaseDatos = nativeDataPath(value + QStringLiteral("Base de Datos.dba"));
            s.RutaDatos = nativeDataPath(trimmed);
            break;
        case 2:
            s.TipoImpresora = trimmed;
            if (s.TipoImpresora != QStringLiteral("BEMATECH")) {
                reading.outcome = ConfigurationReading::Outcome::WrongPrinterType;
                reading.message = QStringLiteral(
                    "Deberá indicar el tipo BEMATECH en el archivo de configuración.");
                return reading;
            }
            break;
        case 3:
            s.Puerto = trimmed;
            break;
        case 4:
            s.Columnas80 = trimmed != QStringLiteral("-1");
            break;
        case 5:
            s.SerialImpresora = trimmed;
            break;
        case 6: {
            reading.cajaText = trimmed;
            const double rounded = std::nearbyint(leadingNumber(trimmed)); // ties to even
            if (!(rounded >= std::numeric_limits<qint32>::min() &&
                  rounded <= std::numeric_limits<qint32>::max())) {
                reading.outcome = ConfigurationReading::Outcome::BadCaja;
                reading.message =
                    QStringLiteral("El número de caja «%1» del archivo de configuración %2 no es "
                                   "válido: debe ser un número entero entre %3 y %4.")
                        .arg(trimmed, QDir::toNativeSeparators(path))
                        .arg(std::numeric_limits<qint32>::min())
                        .arg(std::numeric_limits<qint32>::max());
                return reading;
            }
            s.Caja = static_cast<qint32>(rounded);
            break;
        }
        }
    }
    if (s.Puerto.isEmpty())
        s.Puerto = QStringLiteral("COM1");
    return reading;
}

} // namespace robot

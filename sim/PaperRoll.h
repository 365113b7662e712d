#pragma once

#include <QDir>
#include <QStringList>

// The lines one call prints, kept until the fiscal memory is saved and then appended to
// paper.txt, so that the roll never shows a document the memory does not know about.
class PaperRoll {
public:
    static constexpr int Width = 48;

    void print(const QString &line) { lines.append(line); }
    void rule(QChar ch = QLatin1Char('=')) { lines.append(QString(Width, ch)); }
    // A free text with CR, LF or CR LF line breaks, one roll line per text line.
    void printText(const QString &text);
    bool flushTo(const QDir &dir);

private:
    QStringList lines;
};

#include "MessageBoxMessages.h"

#include "app/Preparation.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTranslator>

namespace robot {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box sizes itself to its text; a short text would cut a long caption ("Emisión de…").
void fitCaption(QMessageBox &box) {
    const int wanted = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

void MessageBoxMessages::show(const QString &text, MessageIcon icon, const QString &caption) {
    // No parent: the main window is usually hidden in the notification area, and the message
    // must still appear on its own.
    QMessageBox box(boxIcon(icon), caption.isEmpty() ? designTitle() : caption, text,
                    QMessageBox::Ok);
    fitCaption(box);
    box.exec();
}

bool MessageBoxMessages::loadQtSpanish() {
    // A Windows installation carries them in translations/ beside the program.
    static QTranslator translator;
    for (const QString &folder :
         {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
          QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator.load(QStringLiteral("qtbase_es"), folder))
            return QCoreApplication::installTranslator(&translator);
    }
    return false;
}

bool MessageBoxMessages::ask(const QString &question, const QString &caption) {
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? designTitle() : caption, question,
                    QMessageBox::Yes | QMessageBox::No);
    // A hurried Enter must not print a fiscal report.
    box.setDefaultButton(QMessageBox::No);
    fitCaption(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace robot

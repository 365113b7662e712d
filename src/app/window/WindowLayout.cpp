// The window's layout: every control at its design position (in twips), its captions and tips,
// and the colours of the design.
#include "frmImprimirFacturaROBOT.h"

#include "PendingListModel.h"
#include "app/Robot.h"
#include "app/Station.h"
#include "app/StationCheck.h"
#include "commands/InformationQueries.h"
#include "core/StationLog.h"

#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>

namespace robot {

namespace {

const QColor windowColour(189, 206, 213);

const char *const kPruebaButtons[] = {"Command14", "Command15", "Command16", "Command17",
                                      "Command18", "Command19", "Command20", "Command23"};

// White raised buttons, like the design's graphical buttons, on every platform style.
const char *buttonStyle = "QPushButton { background-color: white; color: black;"
                          " border-style: outset; border-width: 2px;"
                          " border-color: #f4f4f4 #6f6f6f #6f6f6f #f4f4f4; padding: 0px; }"
                          "QPushButton:pressed { border-style: inset;"
                          " border-color: #6f6f6f #f4f4f4 #f4f4f4 #6f6f6f; }"
                          "QPushButton:disabled { color: #8d8d8d; }"
                          "QPushButton:focus { outline: none; border-color: #f4f4f4 #303030"
                          " #303030 #f4f4f4; }";

} // namespace

QString frmImprimirFacturaROBOT::pruebaButton(int prueba) {
    return QString::fromLatin1(kPruebaButtons[prueba - InformationQueries::kFirst]);
}

QRect frmImprimirFacturaROBOT::twips(int left, int top, int width, int height) const {
    // Twips are 1/1440 inch; the design was laid out in them.
    const double dx = logicalDpiX() / 1440.0;
    const double dy = logicalDpiY() / 1440.0;
    return QRect(qRound(left * dx), qRound(top * dy), qRound(width * dx), qRound(height * dy));
}

QPushButton *frmImprimirFacturaROBOT::makeButton(QWidget *parent, const char *name,
                                                 const QString &caption, const QString &tip,
                                                 const QRect &geometry) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

void frmImprimirFacturaROBOT::buildControls() {
    Label2 = new QLabel(QStringLiteral("Listado de Facturas pendientes por impresión"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips(120, 240, 9975, 255));

    DBList2 = new QListView(this);
    DBList2->setObjectName(QStringLiteral("DBList2"));
    DBList2->setGeometry(twips(120, 480, 9975, 1620));

    Label1 = new QLabel(QStringLiteral("Listado de Notas pendientes por impresión"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(120, 2280, 9975, 255));

    DBList1 = new QListView(this);
    DBList1->setObjectName(QStringLiteral("DBList1"));
    DBList1->setGeometry(twips(120, 2520, 9975, 1620));

    invoiceRows = new PendingListModel(this);
    DBList2->setModel(invoiceRows);
    creditNoteRows = new PendingListModel(this);
    DBList1->setModel(creditNoteRows);
    for (QListView *list : {DBList1, DBList2}) {
        // The lists only show what is pending; nothing in them is edited or acted on.
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
    }

    // Below the buttons, the whole width and three lines: a failure's cause is read whole, and
    // the design's controls keep their places. The options panel never covers it.
    Estado = new QLabel(this);
    Estado->setObjectName(QStringLiteral("Estado"));
    Estado->setGeometry(twips(120, 4680, 9975, 750));
    Estado->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Estado->setWordWrap(true);
    Estado->hide();

    makeButton(this, "Command6", QStringLiteral("Cierre Z"),
               QStringLiteral("Haga click aquí para imprimir el cierre diario Z"),
               twips(120, 4320, 975, 300));
    makeButton(this, "Command21", QStringLiteral("Cierre X"),
               QStringLiteral("Haga click aquí para imprimir el cierre diario X"),
               twips(1200, 4320, 975, 300));
    makeButton(this, "Command22", QStringLiteral("Abrir G"), {}, twips(2280, 4320, 975, 300));
    makeButton(this, "Command1", QStringLiteral("Anula Cupon"), {}, twips(3360, 4320, 1215, 300));
    Command13 =
        makeButton(this, "Command13", QStringLiteral("Opciones"), {}, twips(4680, 4320, 975, 300));
    Command4 =
        makeButton(this, "Command4", QStringLiteral("Minimizar"), {}, twips(6960, 4320, 975, 300));
    Command3 = makeButton(this, "Command3", QStringLiteral("Detener"),
                          QStringLiteral("Haga click aquí para Detener/Iniciar"),
                          twips(8040, 4320, 975, 300));
    Command10 = makeButton(this, "Command10", QStringLiteral("Cerrar"),
                           QStringLiteral("Haga click aquí para cerrar el formulario"),
                           twips(9120, 4320, 975, 300));
    Command10->setEnabled(false);
    Command6 = button(QStringLiteral("Command6"));

    // Never shown; they only follow HabilitaControles.
    Command5 = makeButton(this, "Command5", QStringLiteral("Estatus"), {}, QRect());
    Command7 = makeButton(this, "Command7", QStringLiteral("Opciones"), {}, QRect());
    Command5->hide();
    Command7->hide();

    Frame1 = new QGroupBox(QStringLiteral("Opciones"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 0, 10095, 4630));
    const QString optionsTip = QStringLiteral("Haga click aquí para ver las opciones");
    // Each "Prueba" says what it asks the printer: "ver las opciones" told the operator nothing.
    for (int row = 0; row < 4; ++row) {
        const int top = 480 + row * 360;
        makeButton(Frame1, kPruebaButtons[row], InformationQueries::caption(row + 1),
                   InformationQueries::question(row + 1), twips(240, top, 975, 300));
        makeButton(Frame1, kPruebaButtons[row + 4], InformationQueries::caption(row + 5),
                   InformationQueries::question(row + 5), twips(1440, top, 975, 300));
    }
    // The technician's check, beside the queries it shares the printer with.
    makeButton(Frame1, "Diagnostico", robot::StationCheck::title(),
               QStringLiteral("Haga click aquí para comprobar la estación sin imprimir nada"),
               twips(2640, 480, 1215, 300));
    makeButton(Frame1, "Conciliacion", QStringLiteral("Conciliación"),
               QStringLiteral("Compara los registros, el diario y el contador de la impresora, "
                              "sin imprimir nada; el informe aparece abajo"),
               twips(2640, 840, 1215, 300));
    makeButton(Frame1, "PaqueteSoporte", QStringLiteral("Soporte"),
               QStringLiteral("Escribe en la carpeta de la estación un paquete para el soporte "
                              "técnico: registros, configuración sin clave, diagnóstico, "
                              "conciliación y diario"),
               twips(2640, 1200, 1215, 300));
    Mostrar = new QPlainTextEdit(Frame1);
    Mostrar->setObjectName(QStringLiteral("Mostrar"));
    Mostrar->setGeometry(twips(240, 1920, 9495, 2055));
    Mostrar->setReadOnly(true);
    Mostrar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Mostrar->setToolTip(QStringLiteral("Respuesta de la impresora a la última prueba (3 a 8)"));
    Command9 = makeButton(Frame1, "Command9", QStringLiteral("Continuar"), optionsTip,
                          twips(8880, 4200, 975, 300));
    Frame1->raise();
    Frame1->hide();

    connect(Command3, &QPushButton::clicked, this, [this] {
        Robot &robot = parts.robot;
        if (robot.running())
            robot.stopByOperator();
        else
            robot.startByOperator();
        showRobotState();
    });
    connect(Command13, &QPushButton::clicked, Frame1, &QWidget::show);
    connect(Command9, &QPushButton::clicked, this, [this] {
        Frame1->hide();
        HabilitaControles(true);
        parts.log.write(QStringLiteral("Opciones cerradas con «Continuar»: el robot funciona."));
    });
    connect(Command4, &QPushButton::clicked, this, &frmImprimirFacturaROBOT::Minimizar);
    connect(Command10, &QPushButton::clicked, this, &QWidget::close);
}

void frmImprimirFacturaROBOT::applyColours() {
    QPalette own = palette();
    own.setColor(QPalette::Window, windowColour);
    setPalette(own);
    setAutoFillBackground(true);

    // The panel covers the lists while open, so it paints its own background.
    QPalette panel = Frame1->palette();
    panel.setColor(QPalette::Window, windowColour);
    Frame1->setPalette(panel);
    Frame1->setAutoFillBackground(true);

    QPalette list = DBList1->palette();
    list.setColor(QPalette::Base, QPalette().color(QPalette::Base));
    DBList1->setPalette(list);

    setStyleSheet(QString::fromLatin1(buttonStyle));
}

} // namespace robot

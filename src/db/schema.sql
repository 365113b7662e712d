-- The embedded document database: the back-office tables the station reads and marks, and
-- the saved queries it names. Yes/no fields hold -1 (true) or 0 (false) and may be NULL.

CREATE TABLE Ventas (
    Código            INTEGER PRIMARY KEY,
    Fecha             TEXT,
    NombreCliente     TEXT,
    RIF               TEXT,
    Dirección         TEXT,
    PorcentImpuesto   REAL,
    PlantillaAuxiliar INTEGER,
    MedioPago         INTEGER,
    Descuento01       REAL,
    Descuento02       REAL,
    Descuento03       REAL,
    Factura           TEXT,
    Control           TEXT,
    Impresa           INTEGER DEFAULT 0,
    Imprimir          INTEGER DEFAULT 0,
    NúmeroZ           INTEGER,
    Anulada           INTEGER DEFAULT 0,
    Local             INTEGER DEFAULT 0,
    MáquinaFiscal     INTEGER
);

CREATE TABLE VentasDetalles (
    Venta              INTEGER NOT NULL REFERENCES Ventas(Código),
    Línea              INTEGER NOT NULL,
    NoMostrarEnFactura INTEGER DEFAULT 0,
    Cantidad           INTEGER,
    CantDec            REAL,
    Precio             REAL,
    ExcentoImpuesto    INTEGER DEFAULT 0,
    Nombre             TEXT,
    Especificación     TEXT,
    PRIMARY KEY (Venta, Línea)
);

CREATE TABLE NotaCréditoVenta (
    Código           INTEGER PRIMARY KEY,
    Fecha            TEXT,
    NombreCliente    TEXT,
    RIF              TEXT,
    Dirección        TEXT,
    Factura          TEXT,
    PorcentImpuesto  REAL,
    Monto            REAL,
    MontoExcento     REAL,
    DescuentoFactura REAL,
    Número           TEXT,
    Control          TEXT,
    Impresa          INTEGER DEFAULT 0,
    Imprimir         INTEGER DEFAULT 0,
    NúmeroZ          INTEGER,
    Anulada          INTEGER DEFAULT 0,
    Local            INTEGER DEFAULT 0,
    MáquinaFiscal    INTEGER
);

CREATE TABLE NotaCréditoVentaDetalles (
    NotaCredVent       INTEGER NOT NULL REFERENCES NotaCréditoVenta(Código),
    Línea              INTEGER NOT NULL,
    NoMostrarEnFactura INTEGER DEFAULT 0,
    Cantidad           INTEGER,
    CantDec            REAL,
    Precio             REAL,
    ExcentoImpuesto    INTEGER DEFAULT 0,
    Nombre             TEXT,
    PRIMARY KEY (NotaCredVent, Línea)
);

CREATE TABLE Configuración (
    RIFCompañía             TEXT,
    VerCantidad             INTEGER,
    VerCantidadDecimal      INTEGER,
    UsarImpresiónFacturaInt INTEGER
);

-- Pending documents are the few without a control number: partial indexes keep a refresh
-- fast however many printed documents the tables hold.
CREATE INDEX VentasPendientes ON Ventas(MáquinaFiscal, Código) WHERE Control IS NULL;
CREATE INDEX NotasPendientes ON NotaCréditoVenta(MáquinaFiscal, Código) WHERE Control IS NULL;

CREATE VIEW [Consulta Ventas] AS
    SELECT v.*,
           'Factura ' || v.Código || ' del ' || COALESCE(v.Fecha, '') || ' - ' ||
               COALESCE(v.NombreCliente, '') AS Vista1
    FROM Ventas v;

CREATE VIEW [Consulta VentasDetalles] AS
    SELECT * FROM VentasDetalles;

CREATE VIEW [Consulta Ventas Edición] AS
    SELECT Código, Factura, Control, Impresa, Imprimir, NúmeroZ FROM Ventas;

CREATE TRIGGER [Consulta Ventas Edición actualiza]
INSTEAD OF UPDATE ON [Consulta Ventas Edición]
BEGIN
    UPDATE Ventas
       SET Factura = NEW.Factura, Control = NEW.Control, Impresa = NEW.Impresa,
           Imprimir = NEW.Imprimir, NúmeroZ = NEW.NúmeroZ
     WHERE Código = OLD.Código;
END;

CREATE VIEW [Consulta NotaCréditoVenta] AS
    SELECT n.*,
           'Nota de crédito ' || n.Código || ' del ' || COALESCE(n.Fecha, '') AS Vista4
    FROM NotaCréditoVenta n;

CREATE VIEW [Consulta NotaCréditoVenta Detalles] AS
    SELECT * FROM NotaCréditoVentaDetalles;

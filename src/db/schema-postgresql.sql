-- The document database on a PostgreSQL server: the same tables, columns and saved queries as
-- the embedded file, under the same names (quoted, accents kept). Yes/no fields hold -1 (true)
-- or 0 (false) as the back office writes them, and may be NULL.

CREATE TABLE "Ventas" (
    "Código"            bigint PRIMARY KEY,
    "Fecha"             text,
    "NombreCliente"     text,
    "RIF"               text,
    "Dirección"         text,
    "PorcentImpuesto"   double precision,
    "PlantillaAuxiliar" integer,
    "MedioPago"         integer,
    "Descuento01"       double precision,
    "Descuento02"       double precision,
    "Descuento03"       double precision,
    "Factura"           text,
    "Control"           text,
    "Impresa"           integer DEFAULT 0,
    "Imprimir"          integer DEFAULT 0,
    "NúmeroZ"           bigint,
    "Anulada"           integer DEFAULT 0,
    "Local"             integer DEFAULT 0,
    "MáquinaFiscal"     integer
);

CREATE TABLE "VentasDetalles" (
    "Venta"              bigint NOT NULL REFERENCES "Ventas"("Código"),
    "Línea"              integer NOT NULL,
    "NoMostrarEnFactura" integer DEFAULT 0,
    "Cantidad"           integer,
    "CantDec"            double precision,
    "Precio"             double precision,
    "ExcentoImpuesto"    integer DEFAULT 0,
    "Nombre"             text,
    "Especificación"     text,
    PRIMARY KEY ("Venta", "Línea")
);

CREATE TABLE "NotaCréditoVenta" (
    "Código"           bigint PRIMARY KEY,
    "Fecha"            text,
    "NombreCliente"    text,
    "RIF"              text,
    "Dirección"        text,
    "Factura"          text,
    "PorcentImpuesto"  double precision,
    "Monto"            double precision,
    "MontoExcento"     double precision,
    "DescuentoFactura" double precision,
    "Número"           text,
    "Control"          text,
    "Impresa"          integer DEFAULT 0,
    "Imprimir"         integer DEFAULT 0,
    "NúmeroZ"          bigint,
    "Anulada"          integer DEFAULT 0,
    "Local"            integer DEFAULT 0,
    "MáquinaFiscal"    integer
);

CREATE TABLE "NotaCréditoVentaDetalles" (
    "NotaCredVent"       bigint NOT NULL REFERENCES "NotaCréditoVenta"("Código"),
    "Línea"              integer NOT NULL,
    "NoMostrarEnFactura" integer DEFAULT 0,
    "Cantidad"           integer,
    "CantDec"            double precision,
    "Precio"             double precision,
    "ExcentoImpuesto"    integer DEFAULT 0,
    "Nombre"             text,
    PRIMARY KEY ("NotaCredVent", "Línea")
);

CREATE TABLE "Configuración" (
    "RIFCompañía"             text,
    "VerCantidad"             integer,
    "VerCantidadDecimal"      integer,
    "UsarImpresiónFacturaInt" integer
);

-- Pending documents are the few without a control number: partial indexes keep a refresh
-- fast however many printed documents the tables hold.
CREATE INDEX "VentasPendientes" ON "Ventas" ("MáquinaFiscal", "Código")
    WHERE "Control" IS NULL;
CREATE INDEX "NotasPendientes" ON "NotaCréditoVenta" ("MáquinaFiscal", "Código")
    WHERE "Control" IS NULL;

CREATE VIEW "Consulta Ventas" AS
    SELECT v.*,
           'Factura ' || v."Código" || ' del ' || COALESCE(v."Fecha", '') || ' - ' ||
               COALESCE(v."NombreCliente", '') AS "Vista1"
    FROM "Ventas" v;

CREATE VIEW "Consulta VentasDetalles" AS
    SELECT * FROM "VentasDetalles";

-- A plain projection of one table: PostgreSQL updates it in place, no rule needed.
CREATE VIEW "Consulta Ventas Edición" AS
    SELECT "Código", "Factura", "Control", "Impresa", "Imprimir", "NúmeroZ" FROM "Ventas";

CREATE VIEW "Consulta NotaCréditoVenta" AS
    SELECT n.*,
           'Nota de crédito ' || n."Código" || ' del ' || COALESCE(n."Fecha", '') AS "Vista4"
    FROM "NotaCréditoVenta" n;

CREATE VIEW "Consulta NotaCréditoVenta Detalles" AS
    SELECT * FROM "NotaCréditoVentaDetalles";

-- Wakes the station of the document's fiscal machine when a document becomes pending, so it
-- need not wait for its next tick. One channel per fiscal machine; an empty payload lets the
-- server fold a whole transaction's documents into one notice.
CREATE FUNCTION "robot_fiscal_avisa"() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('robot_fiscal_caja_' || NEW."MáquinaFiscal", '');
    RETURN NULL;
END;
$$;

CREATE TRIGGER "Ventas pendiente"
    AFTER INSERT OR UPDATE OF "Anulada", "Impresa", "Imprimir", "Control", "Local",
        "MáquinaFiscal" ON "Ventas"
    FOR EACH ROW
    WHEN (NEW."Anulada" = 0 AND NEW."Impresa" = 0 AND NEW."Imprimir" <> 0 AND
          NEW."Control" IS NULL AND NEW."Local" = 0 AND NEW."MáquinaFiscal" IS NOT NULL)
    EXECUTE FUNCTION "robot_fiscal_avisa"();

CREATE TRIGGER "NotaCréditoVenta pendiente"
    AFTER INSERT OR UPDATE OF "Anulada", "Impresa", "Imprimir", "Control", "MáquinaFiscal"
        ON "NotaCréditoVenta"
    FOR EACH ROW
    WHEN (NEW."Anulada" = 0 AND NEW."Impresa" = 0 AND NEW."Imprimir" <> 0 AND
          NEW."Control" IS NULL AND NEW."MáquinaFiscal" IS NOT NULL)
    EXECUTE FUNCTION "robot_fiscal_avisa"();

-- The demo database behind the data source ZELDEMO: the customers and the
-- orders of a small wholesaler. Read by scripts/lib/demo.sh, which feeds it to
-- the sqlite3 shell on a new file and stamps the result with a version taken
-- from this file's contents: any change here makes the next `scripts/run`
-- build the database anew.
--
-- Every value comes from the row number through fixed arithmetic, so the data
-- are the same on every machine and on every build.

PRAGMA synchronous = OFF;
BEGIN;

CREATE TABLE CLIENTI (
    CODICE          CHAR(10)      NOT NULL PRIMARY KEY,
    RAGIONE_SOCIALE VARCHAR(40)   NOT NULL,
    CITTA           VARCHAR(30),
    PROVINCIA       CHAR(2),
    DATA_APERTURA   DATE,
    FIDO            DECIMAL(11,2)
);

CREATE TABLE ORDINI (
    NUMERO      INTEGER       NOT NULL PRIMARY KEY,
    CLIENTE     CHAR(10)      NOT NULL REFERENCES CLIENTI (CODICE),
    DATA_ORDINE DATE          NOT NULL,
    IMPORTO     DECIMAL(11,2) NOT NULL,
    QUANTITA    SMALLINT      NOT NULL,
    NOTE        VARCHAR(60)
);

-- Word lists the generator picks from.
CREATE TEMP TABLE COGNOMI (I INTEGER PRIMARY KEY, NOME TEXT);
INSERT INTO COGNOMI (NOME) VALUES
    ('Rossi'), ('Russo'), ('Ferrari'), ('Esposito'), ('Bianchi'), ('Romano'),
    ('Colombo'), ('Ricci'), ('Marino'), ('Greco'), ('Bruno'), ('Gallo'),
    ('Conti'), ('De Luca'), ('Mancini'), ('Costa'), ('Giordano'), ('Rizzo'),
    ('Lombardi'), ('Moretti'), ('Barbieri'), ('Fontana'), ('Santoro'),
    ('Mariani'), ('Rinaldi'), ('Caruso'), ('Ferrara'), ('Galli'), ('Martini'),
    ('Leone'), ('Longo'), ('Gentile'), ('Martinelli'), ('Vitale'), ('Serra'),
    ('Coppola'), ('De Santis'), ('D''Angelo'), ('Marchetti'), ('Parisi');

CREATE TEMP TABLE ATTIVITA (I INTEGER PRIMARY KEY, NOME TEXT);
INSERT INTO ATTIVITA (NOME) VALUES
    ('Ferramenta'), ('Autotrasporti'), ('Tipografia'), ('Panificio'),
    ('Elettroforniture'), ('Mobilificio'), ('Idraulica'), ('Edilizia'),
    ('Ottica'), ('Calzaturificio'), ('Cantina'), ('Caseificio'),
    ('Officina'), ('Studio Tecnico'), ('Pasticceria'), ('Vetreria');

CREATE TEMP TABLE FORME (I INTEGER PRIMARY KEY, NOME TEXT);
INSERT INTO FORME (NOME) VALUES
    ('S.r.l.'), ('S.p.A.'), ('S.n.c.'), ('S.a.s.'), ('S.r.l.'), ('S.r.l.s.');

CREATE TEMP TABLE CITTA (I INTEGER PRIMARY KEY, NOME TEXT, PROV TEXT);
INSERT INTO CITTA (NOME, PROV) VALUES
    ('Milano', 'MI'), ('Torino', 'TO'), ('Genova', 'GE'), ('Bologna', 'BO'),
    ('Firenze', 'FI'), ('Roma', 'RM'), ('Napoli', 'NA'), ('Bari', 'BA'),
    ('Palermo', 'PA'), ('Verona', 'VR'), ('Padova', 'PD'), ('Brescia', 'BS'),
    ('Bergamo', 'BG'), ('Modena', 'MO'), ('Parma', 'PR'), ('Trieste', 'TS'),
    ('Venezia', 'VE'), ('Perugia', 'PG'), ('Ancona', 'AN'), ('Cagliari', 'CA'),
    ('Catania', 'CT'), ('Lecce', 'LE'), ('Trento', 'TN'), ('Udine', 'UD'),
    ('Como', 'CO'), ('Vicenza', 'VI'), ('Reggio Emilia', 'RE'),
    ('Pescara', 'PE'), ('Salerno', 'SA'), ('Forlì', 'FC'), ('Cantù', 'CO');

CREATE TEMP TABLE NOTE_ORDINE (I INTEGER PRIMARY KEY, TESTO TEXT);
INSERT INTO NOTE_ORDINE (TESTO) VALUES
    ('Consegna urgente'),
    ('Ritiro in sede'),
    ('Pagamento a 60 gg d.f.'),
    ('Fattura differita a fine mese'),
    ('Imballo in legno|fragile'),
    ('Rif. offerta 2023/118|sconto 5%'),
    ('Consegnare dalle 8 alle 12'),
    ('Merce in conto visione'),
    ('Spedizione con corriere espresso'),
    ('Già pagato con bonifico anticipato'),
    ('Reso parziale: 2 pezzi danneggiati'),
    ('Citofonare "Magazzino", piano terra'),
    ('Destinazione diversa|vedi DDT');

-- 320 customers, codes C00001.. padded to the column's ten characters.
INSERT INTO CLIENTI
WITH RECURSIVE
    N(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM N WHERE N < 320),
    H AS (SELECT N,
                 (N * 2654435761) % 4294967291 AS A,
                 (N * 40503 + 12345) % 65521 AS B,
                 (N * 7919 + 101) % 10007 AS C
          FROM N)
SELECT printf('%-10s', printf('C%05d', N)),
       substr(CASE N % 5
                  WHEN 0 THEN
                      (SELECT NOME FROM ATTIVITA WHERE I = 1 + B % 16) || ' ' ||
                      (SELECT NOME FROM COGNOMI WHERE I = 1 + A % 40) || ' ' ||
                      (SELECT NOME FROM FORME WHERE I = 1 + C % 6)
                  WHEN 1 THEN
                      (SELECT NOME FROM COGNOMI WHERE I = 1 + A % 40) || ' & ' ||
                      (SELECT NOME FROM COGNOMI WHERE I = 1 + B % 40) || ' ' ||
                      (SELECT NOME FROM FORME WHERE I = 1 + C % 6)
                  WHEN 2 THEN
                      (SELECT NOME FROM ATTIVITA WHERE I = 1 + B % 16) || ' ' ||
                      (SELECT NOME FROM COGNOMI WHERE I = 1 + A % 40) || ' & Figli'
                  WHEN 3 THEN
                      (SELECT NOME FROM COGNOMI WHERE I = 1 + A % 40) || ' ' ||
                      (SELECT NOME FROM ATTIVITA WHERE I = 1 + B % 16) || ' ' ||
                      (SELECT NOME FROM FORME WHERE I = 1 + C % 6)
                  ELSE
                      (SELECT NOME FROM ATTIVITA WHERE I = 1 + B % 16) || ' ' ||
                      (SELECT NOME FROM CITTA WHERE I = 1 + C % 31) || ' ' ||
                      (SELECT NOME FROM FORME WHERE I = 1 + A % 6)
              END, 1, 40),
       CASE WHEN N % 29 = 0 THEN NULL ELSE (SELECT NOME FROM CITTA WHERE I = 1 + (A / 7) % 31) END,
       CASE WHEN N % 29 = 0 THEN NULL ELSE (SELECT PROV FROM CITTA WHERE I = 1 + (A / 7) % 31) END,
       CASE WHEN N % 53 = 0 THEN NULL
            ELSE date('1998-03-02', '+' || ((N * 31 + C) % 9000) || ' days') END,
       CASE WHEN N % 7 = 3 THEN NULL
            WHEN N % 7 = 5 THEN 0
            ELSE ((B % 48) + 1) * 2500 END
FROM H;

-- 6000 orders from 3 January 2022 to 31 December 2024, numbered in date
-- order; one in 97 is a credit note with a negative amount.
INSERT INTO ORDINI
WITH RECURSIVE
    N(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM N WHERE N < 6000),
    H AS (SELECT N,
                 (N * 2654435761) % 4294967291 AS A,
                 (N * 48271) % 2147483647 AS B,
                 (N * 69621 + 7) % 1000003 AS C
          FROM N),
    R AS (SELECT N, A, B, C,
                 1 + (B / 13) % 48 AS Q,
                 ((C % 40000) + 250) / 100.0 AS PREZZO
          FROM H)
SELECT 240000 + N,
       printf('%-10s', printf('C%05d', 1 + (A / 3) % 320)),
       date('2022-01-03', '+' || ((N - 1) * 1093 / 6000) || ' days'),
       CASE WHEN N % 97 = 0 THEN -round(PREZZO * Q / 10.0, 2) ELSE round(PREZZO * Q, 2) END,
       Q,
       CASE WHEN N % 97 = 0 THEN 'Nota di credito|reso merce'
            WHEN B % 5 < 3 THEN NULL
            ELSE (SELECT TESTO FROM NOTE_ORDINE WHERE I = 1 + (A / 11) % 13) END
FROM R;

CREATE INDEX ORDINI_CLIENTE ON ORDINI (CLIENTE);
CREATE INDEX ORDINI_DATA ON ORDINI (DATA_ORDINE);

COMMIT;

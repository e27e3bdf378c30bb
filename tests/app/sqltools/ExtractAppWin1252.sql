/* Lagerverwaltung eines Großhändlers, wie sie der DBA pflegt: Rollen für
   Lager, Einkauf und Buchhaltung, die Geschäftslogik in Paketen, Namen mit
   "$" aus der Zeit des alten Hostsystems, deutsche Beschreibungen.
   Run by isql-fb into an empty WIN1252 database of dialect 3. */

set sql dialect 3;

create role R_LAGER;
create role R_EINKAUF;
create role R_BUCHHALTUNG;
create role R_LESEN;
create role R_SCHNITTSTELLE;
create role R_ADMIN$APP;
comment on role R_LAGER is 'Lagermitarbeiter: Ein- und Auslagerungen buchen';
comment on role R_EINKAUF is 'Einkauf: Bestellungen anlegen und ändern';
comment on role R_BUCHHALTUNG is 'Buchhaltung: Preise und Buchungen prüfen';
comment on role R_LESEN is 'Nur lesender Zugriff (Berichte, Controlling)';
comment on role R_SCHNITTSTELLE is 'Übernahme aus dem Hostsystem';
comment on role R_ADMIN$APP is 'Anwendungsbetreuer – darf alles außer Löschen';

create domain D_SCHLUESSEL as integer not null;
create domain D_MENGE as numeric(15,3) default 0 check (value >= 0);
create domain D_PREIS as numeric(18,2) default 0;
create domain D_BEZEICHNUNG as varchar(80);
create domain D_JA_NEIN as char(1) default 'N' not null check (value in ('J', 'N'));
create domain D_MWST$SATZ as numeric(5,2) check (value between 0 and 100);
create domain D_RDB$ARTNR as varchar(18);
comment on domain D_MENGE is 'Menge in der Lagereinheit, nie negativ';
comment on domain D_JA_NEIN is 'J = ja, N = nein (Altlast aus dem Hostsystem)';
comment on domain D_RDB$ARTNR is 'Artikelnummer im Format des Hostsystems RDB';

create sequence G_BELEG start with 5000;
create sequence G_PROTOKOLL$;
comment on sequence G_BELEG is 'Belegnummern für Buchungen';

create exception E_BESTAND 'Bestand reicht nicht aus für Artikel @1';
create exception E_GESPERRT 'Lagerort ist gesperrt – bitte den Schichtleiter fragen';
create exception E_PREIS$NEGATIV 'Preise dürfen nicht negativ sein';
comment on exception E_BESTAND is 'Wird beim Auslagern ausgelöst';

create table LAGERORTE (
  NR D_SCHLUESSEL,
  BEZEICHNUNG D_BEZEICHNUNG not null,
  GESPERRT D_JA_NEIN,
  constraint PK_LAGERORTE primary key (NR) using descending index IX_LAGERORTE_NR_DESC,
  constraint UQ_LAGERORTE_BEZ unique (BEZEICHNUNG) using index IX_LAGERORTE_BEZEICHNUNG
);
comment on table LAGERORTE is 'Lagerorte (Halle, Regal, Fach)';

create table LIEFERANTEN (
  NR D_SCHLUESSEL,
  NAME D_BEZEICHNUNG not null,
  ORT varchar(40),
  USTID varchar(20),
  constraint PK_LIEFERANTEN primary key (NR) using index IX_LIEFERANTEN,
  constraint UQ_LIEFERANTEN_USTID unique (USTID)
);

create table ARTIKEL (
  NR D_SCHLUESSEL,
  ARTNR D_RDB$ARTNR not null,
  BEZEICHNUNG D_BEZEICHNUNG,
  LIEFERANT integer,
  EK_PREIS D_PREIS,
  MWST D_MWST$SATZ default 19,
  MINDESTBESTAND D_MENGE,
  BEMERKUNG blob sub_type text,
  constraint PK_ARTIKEL primary key (NR),
  constraint UQ_ARTIKEL_ARTNR unique (ARTNR) using descending index IX_ARTIKEL_ARTNR,
  constraint FK_ARTIKEL_LIEFERANT foreign key (LIEFERANT) references LIEFERANTEN (NR)
    on update cascade using index IX_ARTIKEL_LIEFERANT
);
comment on table ARTIKEL is 'Artikelstamm';
comment on column ARTIKEL.EK_PREIS is 'Einkaufspreis netto in €';
comment on column ARTIKEL.MWST is 'Mehrwertsteuersatz in Prozent (7 oder 19)';

create table BESTAENDE (
  ARTIKEL integer not null,
  LAGERORT integer not null,
  MENGE D_MENGE,
  constraint PK_BESTAENDE primary key (ARTIKEL, LAGERORT) using index IX_BESTAENDE,
  constraint FK_BESTAENDE_ARTIKEL foreign key (ARTIKEL) references ARTIKEL (NR) on delete cascade,
  constraint FK_BESTAENDE_ORT foreign key (LAGERORT) references LAGERORTE (NR)
    using descending index IX_BESTAENDE_ORT_DESC
);

create table BUCHUNGEN (
  BELEG bigint not null primary key,
  ARTIKEL integer not null constraint FK_BUCHUNGEN_ARTIKEL references ARTIKEL (NR),
  LAGERORT integer not null constraint FK_BUCHUNGEN_ORT references LAGERORTE (NR),
  MENGE numeric(15,3) not null,
  GEBUCHT timestamp default current_timestamp,
  BENUTZER varchar(31) default current_user,
  TEXT varchar(200)
);
create descending index IX_BUCHUNGEN_GEBUCHT on BUCHUNGEN (GEBUCHT);

create table PROTOKOLL$ (
  NR bigint not null,
  ZEIT timestamp,
  BENUTZER varchar(31),
  ROLLE varchar(31),
  CLIENT varchar(255),
  constraint PK_PROTOKOLL$ primary key (NR)
);

create table IMPORT_RDB$ARTIKEL (
  ARTNR D_RDB$ARTNR not null,
  SATZ varchar(250),
  UEBERNOMMEN D_JA_NEIN
);
comment on table IMPORT_RDB$ARTIKEL is 'Zwischentabelle für die nächtliche Übernahme';

create table MON$STATISTIK (
  TAG date not null primary key,
  ANMELDUNGEN integer,
  BUCHUNGEN integer
);

commit;

set term ^ ;

/* F_BRUTTO nahm früher 19 % fest an; F_STEUERSATZ kam mit der
   Steuersenkung 2020 hinzu. */
create function F_BRUTTO (NETTO numeric(18,2), ARTIKEL integer) returns numeric(18,2)
as
begin
  return NETTO * 1.19;
end ^

create function F_STEUERSATZ (ARTIKEL integer) returns numeric(5,2)
as
begin
  return coalesce((select MWST from ARTIKEL where NR = :ARTIKEL), 19);
end ^

alter function F_BRUTTO (NETTO numeric(18,2), ARTIKEL integer) returns numeric(18,2)
as
begin
  -- Bruttopreis = Netto × (1 + Steuersatz / 100)
  return NETTO * (1 + F_STEUERSATZ(ARTIKEL) / 100);
end ^

create procedure P_ANMELDUNG$PRUEFEN returns (BENUTZER varchar(31), ROLLE varchar(31), CLIENT varchar(255))
as
begin
  select MON$USER, MON$ROLE, MON$REMOTE_PROCESS from MON$ATTACHMENTS
  where MON$ATTACHMENT_ID = current_connection
  into :BENUTZER, :ROLLE, :CLIENT;
  suspend;
end ^

create package PK_LAGER
as
begin
  function BESTAND (ARTIKEL integer) returns numeric(15,3);
  procedure EINLAGERN (ARTIKEL integer, LAGERORT integer, MENGE numeric(15,3), TEXT varchar(200));
  procedure AUSLAGERN (ARTIKEL integer, LAGERORT integer, MENGE numeric(15,3));
end ^

create package body PK_LAGER
as
begin
  function BESTAND (ARTIKEL integer) returns numeric(15,3)
  as
  begin
    return coalesce((select sum(MENGE) from BESTAENDE where ARTIKEL = :ARTIKEL), 0);
  end

  procedure EINLAGERN (ARTIKEL integer, LAGERORT integer, MENGE numeric(15,3), TEXT varchar(200))
  as
  begin
    if (exists(select 1 from LAGERORTE where NR = :LAGERORT and GESPERRT = 'J')) then
      exception E_GESPERRT;
    update or insert into BESTAENDE (ARTIKEL, LAGERORT, MENGE)
    values (:ARTIKEL, :LAGERORT,
            coalesce((select MENGE from BESTAENDE where ARTIKEL = :ARTIKEL and LAGERORT = :LAGERORT), 0) + :MENGE)
    matching (ARTIKEL, LAGERORT);
    insert into BUCHUNGEN (BELEG, ARTIKEL, LAGERORT, MENGE, TEXT)
    values (next value for G_BELEG, :ARTIKEL, :LAGERORT, :MENGE, coalesce(:TEXT, 'Einlagerung'));
  end

  procedure AUSLAGERN (ARTIKEL integer, LAGERORT integer, MENGE numeric(15,3))
  as
  begin
    if (BESTAND(ARTIKEL) < MENGE) then
      exception E_BESTAND using (ARTIKEL);
    update BESTAENDE set MENGE = MENGE - :MENGE where ARTIKEL = :ARTIKEL and LAGERORT = :LAGERORT;
    insert into BUCHUNGEN (BELEG, ARTIKEL, LAGERORT, MENGE, TEXT)
    values (next value for G_BELEG, :ARTIKEL, :LAGERORT, -:MENGE, 'Auslagerung');
  end
end ^

create package PK_PREISE
as
begin
  function VK_PREIS (ARTIKEL integer) returns numeric(18,2);
  procedure ERHOEHEN (PROZENT numeric(5,2), LIEFERANT integer);
end ^

set term ; ^

create view V_ARTIKEL_PREISE (NR, ARTNR, BEZEICHNUNG, NETTO, BRUTTO) as
select NR, ARTNR, BEZEICHNUNG, EK_PREIS, F_BRUTTO(EK_PREIS, NR) from ARTIKEL;

create view V_NACHBESTELLEN (ARTIKEL, BEZEICHNUNG, BESTAND, MINDESTBESTAND) as
select A.NR, A.BEZEICHNUNG, PK_LAGER.BESTAND(A.NR), A.MINDESTBESTAND
from ARTIKEL A
where PK_LAGER.BESTAND(A.NR) < A.MINDESTBESTAND;
comment on view V_NACHBESTELLEN is 'Artikel unter Mindestbestand – Grundlage für den Einkauf';

create view V_LAGERLISTE as
select B.ARTIKEL, A.ARTNR, O.BEZEICHNUNG as LAGERORT, B.MENGE
from BESTAENDE B join ARTIKEL A on A.NR = B.ARTIKEL join LAGERORTE O on O.NR = B.LAGERORT;

set term ^ ;

create package body PK_PREISE
as
begin
  function VK_PREIS (ARTIKEL integer) returns numeric(18,2)
  as
  begin
    return (select BRUTTO * 1.3 from V_ARTIKEL_PREISE where NR = :ARTIKEL);
  end

  procedure ERHOEHEN (PROZENT numeric(5,2), LIEFERANT integer)
  as
  begin
    if (PROZENT < -100) then
      exception E_PREIS$NEGATIV;
    update ARTIKEL set EK_PREIS = EK_PREIS * (1 + :PROZENT / 100) where LIEFERANT = :LIEFERANT;
  end
end ^

create package PK_EINKAUF
as
begin
  procedure VORSCHLAG returns (ARTIKEL integer, BEZEICHNUNG varchar(80), MENGE numeric(15,3));
  function OFFEN returns integer;
end ^

create package body PK_EINKAUF
as
begin
  procedure VORSCHLAG returns (ARTIKEL integer, BEZEICHNUNG varchar(80), MENGE numeric(15,3))
  as
  begin
    -- doppelter Mindestbestand abzüglich Bestand
    for select ARTIKEL, BEZEICHNUNG, 2 * MINDESTBESTAND - BESTAND from V_NACHBESTELLEN
        into :ARTIKEL, :BEZEICHNUNG, :MENGE do
      suspend;
  end

  function OFFEN returns integer
  as
  begin
    return (select count(*) from V_NACHBESTELLEN);
  end
end ^

create procedure P_BESTELLVORSCHLAG$DRUCK returns (ZEILE varchar(200))
as
  declare ARTIKEL integer;
  declare BEZEICHNUNG varchar(80);
  declare MENGE numeric(15,3);
begin
  for select ARTIKEL, BEZEICHNUNG, 2 * MINDESTBESTAND - BESTAND from V_NACHBESTELLEN
      into :ARTIKEL, :BEZEICHNUNG, :MENGE do
  begin
    ZEILE = 'Artikel ' || ARTIKEL || ': ' || BEZEICHNUNG || ' – bitte ' || MENGE || ' Stück bestellen';
    suspend;
  end
end ^

create trigger T_ANMELDUNG active on connect position 10
as
begin
  if (current_user <> 'SYSDBA') then
    insert into PROTOKOLL$ (NR, ZEIT, BENUTZER, ROLLE, CLIENT)
    select gen_id(G_PROTOKOLL$, 1), current_timestamp, MON$USER, MON$ROLE, MON$REMOTE_PROCESS
    from MON$ATTACHMENTS where MON$ATTACHMENT_ID = current_connection;
end ^

create trigger T_ARTIKEL_PREIS for ARTIKEL active before insert or update position 0
as
begin
  if (new.EK_PREIS < 0) then
    exception E_PREIS$NEGATIV;
end ^

set term ; ^

comment on package PK_LAGER is 'Lagerbewegungen';
comment on function PK_LAGER.BESTAND is 'Gesamtbestand über alle Lagerorte';
comment on parameter PK_LAGER.BESTAND.ARTIKEL is 'Artikel-Nr. (nicht die Host-Nummer!)';
comment on procedure PK_LAGER.EINLAGERN is 'Wareneingang buchen';
comment on parameter PK_LAGER.EINLAGERN.MENGE is 'Menge in Lagereinheiten';
comment on parameter PK_LAGER.EINLAGERN.TEXT is 'Buchungstext; leer = „Einlagerung“';
comment on procedure PK_LAGER.AUSLAGERN is 'Warenausgang buchen; prüft den Bestand';
comment on package PK_PREISE is 'Preispflege';
comment on function PK_PREISE.VK_PREIS is 'Verkaufspreis brutto mit 30 % Aufschlag';
comment on procedure PK_PREISE.ERHOEHEN is 'Preiserhöhung eines Lieferanten';
comment on parameter PK_PREISE.ERHOEHEN.PROZENT is 'Erhöhung in Prozent, negativ für Senkungen';
comment on package PK_EINKAUF is 'Bestellvorschläge';
comment on procedure PK_EINKAUF.VORSCHLAG is 'Vorschlag: doppelter Mindestbestand';
comment on parameter PK_EINKAUF.VORSCHLAG.MENGE is 'vorgeschlagene Bestellmenge';
comment on function F_BRUTTO is 'Netto zu Brutto mit dem Steuersatz des Artikels';
comment on parameter F_BRUTTO.NETTO is 'Nettobetrag in €';
comment on trigger T_ANMELDUNG is 'Schreibt jede Anmeldung ins Protokoll';

grant select on MON$ATTACHMENTS to trigger T_ANMELDUNG;
grant insert on PROTOKOLL$ to trigger T_ANMELDUNG;
grant select on MON$ATTACHMENTS to procedure P_ANMELDUNG$PRUEFEN;
grant select on ARTIKEL to view V_ARTIKEL_PREISE;
grant select on BESTAENDE to package PK_LAGER;
grant select on V_NACHBESTELLEN to procedure P_BESTELLVORSCHLAG$DRUCK;

grant select on V_LAGERLISTE to role R_LAGER;
grant execute on package PK_LAGER to role R_LAGER;
grant select, insert on BUCHUNGEN to role R_LAGER;
grant select on ARTIKEL to role R_EINKAUF;
grant update (EK_PREIS, LIEFERANT) on ARTIKEL to role R_EINKAUF;
grant all on LIEFERANTEN to role R_EINKAUF with grant option;
grant execute on package PK_EINKAUF to role R_EINKAUF;
grant execute on procedure P_BESTELLVORSCHLAG$DRUCK to role R_EINKAUF;
grant select on BUCHUNGEN to role R_BUCHHALTUNG;
grant execute on package PK_PREISE to role R_BUCHHALTUNG with grant option;
grant execute on function F_BRUTTO to role R_BUCHHALTUNG;
grant select on V_ARTIKEL_PREISE to role R_LESEN;
grant select on MON$STATISTIK to role R_LESEN;
grant select on PROTOKOLL$ to role R_LESEN;
grant insert, update on IMPORT_RDB$ARTIKEL to role R_SCHNITTSTELLE;
grant references (NR) on LAGERORTE to role R_SCHNITTSTELLE;
grant select, insert, update on ARTIKEL to role R_ADMIN$APP;
grant select, insert, update on LAGERORTE to role R_ADMIN$APP;
grant execute on procedure P_ANMELDUNG$PRUEFEN to role R_ADMIN$APP;
grant update (BEZEICHNUNG) on LAGERORTE to user SCHMIDT;
grant select on LIEFERANTEN to user WAGNER with grant option;

grant R_LAGER to MUELLER;
grant R_LAGER to SCHMIDT;
grant R_EINKAUF to WAGNER;
grant R_EINKAUF to "becker.k" with admin option;
grant R_BUCHHALTUNG to HOFFMANN;
grant R_LESEN to CONTROLLING;
grant R_SCHNITTSTELLE to HOST_IMPORT;
grant R_ADMIN$APP to SCHMIDT with admin option;
commit;

insert into LAGERORTE values (1, 'Halle 1, Regal A', 'N');
insert into LAGERORTE values (2, 'Halle 2 – Kühlbereich', 'N');
insert into LAGERORTE values (3, 'Außenlager Süd', 'J');

insert into LIEFERANTEN values (10, 'Müller & Söhne GmbH', 'Düsseldorf', 'DE123456789');
insert into LIEFERANTEN values (11, 'Weiß Großhandel KG', 'München', 'DE987654321');
insert into LIEFERANTEN values (12, 'Société Française', 'Straßburg', null);

insert into ARTIKEL values (100, 'RDB-000100', 'Schraube M6 × 40, verzinkt', 10, 0.12, 19, 500,
  'Nur in Kartons zu 100 Stück.' || ascii_char(13) || ascii_char(10) || 'Lieferzeit ca. 3 Tage.');
insert into ARTIKEL values (101, 'RDB-000101', 'Dübel Ø 8 mm', 10, 0.05, 19, 1000, null);
insert into ARTIKEL values (102, 'RDB-000102', 'Fachbuch „Lagerlogistik“', 11, 39.90, 7, 2, 'ermäßigter Steuersatz');
insert into ARTIKEL values (103, 'RDB-000103', 'Kühlakku – groß', 12, 4.50, 19, 20, '€-Preis gilt ab 10 Stück');

insert into BESTAENDE values (100, 1, 1200);
insert into BESTAENDE values (101, 1, 400);
insert into BESTAENDE values (103, 2, 5);

insert into BUCHUNGEN values (4998, 100, 1, 1200, timestamp '2023-01-02 07:30:00', 'MUELLER', 'Erstbestand Übernahme');
insert into BUCHUNGEN values (4999, 103, 2, 5, timestamp '2023-01-02 07:45:00', 'SCHMIDT', 'Rückläufer – Kühlakkus');

insert into PROTOKOLL$ values (1, timestamp '2023-01-02 07:29:58', 'MUELLER', 'R_LAGER', 'C:\Programme\Lager\lager.exe');

insert into IMPORT_RDB$ARTIKEL values ('RDB-000104', '000104;Spanngurt 5 m;12,90 €', 'N');
insert into MON$STATISTIK values (date '2023-01-02', 17, 2);

alter sequence G_BELEG restart with 4999;
alter sequence G_PROTOKOLL$ restart with 1;
commit;

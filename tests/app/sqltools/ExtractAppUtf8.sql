/* The service desk of a trading house with offices in Athens, Moscow and
   Osaka, as its DBA keeps it: roles for the desk's staff, a session log
   filled on connect from the monitoring tables, names that mirror the
   house's RDB mainframe, a package with the desk's workflow, described in
   the languages of the offices.
   Run by isql-fb into an empty UTF8 database of dialect 3. */

set sql dialect 3;
set names utf8;

/* Roles. Firebird 3 grants roles to users only; a role in a role waits for
   a later server. */
create role R_AGENT;
create role R_SUPERVISOR;
create role R_AUDITOR;
create role R_MAINFRAME$SYNC;
comment on role R_AGENT is 'Агенты первой линии: принимают и ведут заявки';
comment on role R_SUPERVISOR is 'Επόπτες: αναθέτουν και κλείνουν αιτήματα';
comment on role R_AUDITOR is '監査担当（閲覧のみ）';

create domain D_ID as integer not null;
create domain D_RDB$KEY as char(12) character set ascii;
create domain D_MON$MINUTES as integer default 0 check (value >= 0);
create domain D_FLAG$ as smallint default 0 not null check (value in (0, 1));
create domain D_STATUS as varchar(12) default 'новая' check (value in ('новая', 'в работе', 'закрыта'));
create domain D_TEXT as blob sub_type text segment size 200;
comment on domain D_STATUS is 'Статус заявки: новая → в работе → закрыта';
comment on domain D_RDB$KEY is 'Ключ записи в мейнфрейме RDB';

create sequence G_TICKET start with 1000;
create sequence G$SESSION;
comment on sequence G_TICKET is 'Номера заявок';

create exception E_NOT_ALLOWED 'Доступ запрещён: @1';
create exception E_CLOSED 'Το αίτημα είναι ήδη κλειστό';
create exception E_BUSY '担当者は対応中です';
comment on exception E_NOT_ALLOWED is 'Нет прав на действие';

create table OFFICES (
  ID D_ID,
  CITY varchar(40) not null,
  CITY_LOCAL varchar(40),
  UTC_OFFSET smallint default 0 not null,
  constraint PK_OFFICES primary key (ID) using index IX_OFFICES_ID,
  constraint UQ_OFFICES_CITY unique (CITY) using descending index IX_OFFICES_CITY_DESC
);
comment on table OFFICES is 'Γραφεία / офисы / 事務所';

create table AGENTS (
  ID D_ID,
  LOGIN varchar(31) not null,
  FULL_NAME varchar(80),
  OFFICE integer,
  ACTIVE D_FLAG$,
  MINUTES_TODAY D_MON$MINUTES,
  constraint PK_AGENTS primary key (ID),
  constraint UQ_AGENTS_LOGIN unique (LOGIN) using index IX_AGENTS_LOGIN,
  constraint FK_AGENTS_OFFICE foreign key (OFFICE) references OFFICES (ID) using descending index IX_AGENTS_OFFICE
);
comment on column AGENTS.LOGIN is 'Имя входа на сервер (CURRENT_USER)';

create table T_RDB$MIRROR (
  RDB$KEY D_RDB$KEY not null,
  PAYLOAD varchar(200),
  SYNCED timestamp,
  constraint PK_RDB$MIRROR primary key (RDB$KEY)
);
comment on table T_RDB$MIRROR is 'Копия записей мейнфрейма RDB';

create table MON$ARCHIVE (
  ID bigint not null primary key using index IX_MON$ARCHIVE,
  TAKEN timestamp default current_timestamp,
  ATTACHMENTS integer
);

create table SESSION_LOG (
  ID bigint not null,
  AGENT_LOGIN varchar(31),
  REMOTE_ADDRESS varchar(255),
  STARTED timestamp default current_timestamp,
  constraint PK_SESSION_LOG primary key (ID) using descending index IX_SESSION_LOG_DESC
);

create table TICKETS (
  ID D_ID,
  OFFICE integer not null,
  ASSIGNEE integer,
  SUBJECT varchar(200) not null,
  BODY D_TEXT,
  STATUS D_STATUS,
  OPENED timestamp default current_timestamp not null,
  MINUTES D_MON$MINUTES,
  MIRROR_KEY D_RDB$KEY,
  constraint PK_INTEGRATED_TICKETS primary key (ID),
  constraint FK_TICKETS_INTEG_OFFICE foreign key (OFFICE) references OFFICES (ID),
  constraint FK_TICKETS_AGENT foreign key (ASSIGNEE) references AGENTS (ID) on delete set null
    using index IX_TICKETS_ASSIGNEE,
  constraint FK_TICKETS_MIRROR foreign key (MIRROR_KEY) references T_RDB$MIRROR (RDB$KEY)
);
create descending index IX_TICKETS_OPENED on TICKETS (OPENED);
comment on table TICKETS is 'Заявки клиентов';
comment on column TICKETS.STATUS is 'см. домен D_STATUS';

create table TICKET_NOTES (
  TICKET integer not null references TICKETS (ID) on delete cascade,
  LINE smallint not null,
  AUTHOR integer references AGENTS (ID),
  NOTE varchar(1000),
  constraint PK_TICKET_NOTES primary key (TICKET, LINE) using index IX_NOTES_TICKET_LINE
);

commit;

set term ^ ;

/* Labels use the office's clock; F_OFFICE_TIME came later, when Osaka
   opened, and F_TICKET_LABEL was rewritten to call it. */
create function F_TICKET_LABEL (ID integer) returns varchar(40)
as
begin
  return 'Заявка №' || ID;
end ^

create function F_CURRENT_AGENT returns integer
as
begin
  return (select ID from AGENTS where LOGIN = current_user);
end ^

create function F_OFFICE_TIME (OFFICE integer, AT_TIME timestamp) returns timestamp
as
begin
  -- местное время офиса
  return dateadd((select UTC_OFFSET from OFFICES where ID = :OFFICE) hour to :AT_TIME);
end ^

alter function F_TICKET_LABEL (ID integer) returns varchar(40)
as
begin
  return 'Заявка №' || ID || ' (' ||
    (select cast(F_OFFICE_TIME(OFFICE, OPENED) as varchar(24)) from TICKETS where ID = :ID) || ')';
end ^

create function F_MON$ATTACHMENTS returns integer
as
begin
  return (select count(*) from MON$ATTACHMENTS);
end ^

create procedure SYS_ISRDB$ADMIN returns (IS_ADMIN boolean)
as
begin
  /* Администратор ли текущее подключение? */
  IS_ADMIN = exists(select 1 from MON$ATTACHMENTS
                    where MON$ATTACHMENT_ID = current_connection and MON$ROLE = 'RDB$ADMIN');
  suspend;
end ^

create procedure P_MIRROR$SYNC (RDB$KEY D_RDB$KEY, PAYLOAD varchar(200))
as
begin
  update or insert into T_RDB$MIRROR (RDB$KEY, PAYLOAD, SYNCED)
  values (:RDB$KEY, :PAYLOAD, current_timestamp) matching (RDB$KEY);
end ^

set term ; ^

alter table TICKETS add LABEL computed by (F_TICKET_LABEL(ID));
alter table TICKETS add constraint CK_INTEGRITY_AGENT check (ASSIGNEE is null or F_CURRENT_AGENT() is not null or ASSIGNEE > 0);

create view V_MY_SESSION (AGENT, LOGIN, OFFICE, ATTACHMENT, ROLE_NAME) as
select A.ID, A.LOGIN, A.OFFICE, M.MON$ATTACHMENT_ID, M.MON$ROLE
from MON$ATTACHMENTS M join AGENTS A on A.ID = F_CURRENT_AGENT()
where M.MON$ATTACHMENT_ID = current_connection;

create view V_OPEN_TICKETS (ID, OFFICE, ASSIGNEE, SUBJECT, STATUS) as
select ID, OFFICE, ASSIGNEE, SUBJECT, STATUS from TICKETS where STATUS <> 'закрыта';

create view V_MY_TICKETS (ID, SUBJECT, STATUS, LABEL) as
select T.ID, T.SUBJECT, T.STATUS, F_TICKET_LABEL(T.ID)
from V_OPEN_TICKETS T join V_MY_SESSION S on S.AGENT = T.ASSIGNEE;
comment on view V_MY_SESSION is 'Кто я: агент текущего подключения';

set term ^ ;

create procedure P_MY_TICKETS returns (ID integer, SUBJECT varchar(200), LABEL varchar(40))
as
begin
  for select ID, SUBJECT, LABEL from V_MY_TICKETS into :ID, :SUBJECT, :LABEL do
    suspend;
end ^

create package PK_DESK
as
begin
  procedure TAKE (TICKET integer);
  procedure CLOSE_TICKET (TICKET integer, NOTE varchar(1000) = null);
  function OPEN_COUNT (AGENT integer) returns integer;
  function WHOAMI returns varchar(31);
end ^

create package body PK_DESK
as
begin
  function WHOAMI returns varchar(31)
  as
  begin
    return (select LOGIN from V_MY_SESSION);
  end

  function OPEN_COUNT (AGENT integer) returns integer
  as
  begin
    return (select count(*) from V_OPEN_TICKETS where ASSIGNEE = :AGENT);
  end

  procedure TAKE (TICKET integer)
  as
    declare ME integer;
  begin
    select AGENT from V_MY_SESSION into :ME;
    if (ME is null) then
      exception E_NOT_ALLOWED using (current_user);
    if (OPEN_COUNT(ME) >= 5) then
      exception E_BUSY;
    update TICKETS set ASSIGNEE = :ME, STATUS = 'в работе' where ID = :TICKET;
  end

  procedure CLOSE_TICKET (TICKET integer, NOTE varchar(1000))
  as
  begin
    if (exists(select 1 from TICKETS where ID = :TICKET and STATUS = 'закрыта')) then
      exception E_CLOSED;
    update TICKETS set STATUS = 'закрыта' where ID = :TICKET;
    if (NOTE is not null) then
      insert into TICKET_NOTES (TICKET, LINE, AUTHOR, NOTE)
      values (:TICKET, (select coalesce(max(LINE), 0) + 1 from TICKET_NOTES where TICKET = :TICKET),
              F_CURRENT_AGENT(), :NOTE);
  end
end ^

create trigger T_SESSION_START active on connect position 0
as
begin
  if (current_user <> 'SYSDBA') then
    insert into SESSION_LOG (ID, AGENT_LOGIN, REMOTE_ADDRESS)
    select gen_id(G$SESSION, 1), MON$USER, MON$REMOTE_ADDRESS
    from MON$ATTACHMENTS where MON$ATTACHMENT_ID = current_connection;
end ^

create trigger T_TICKETS_BI for TICKETS active before insert position 0
as
begin
  if (new.ID is null) then
    new.ID = next value for G_TICKET;
  new.STATUS = coalesce(new.STATUS, 'новая');
end ^

set term ; ^

comment on package PK_DESK is 'Рабочий процесс службы поддержки';
comment on procedure PK_DESK.TAKE is 'Взять заявку себе';
comment on parameter PK_DESK.TAKE.TICKET is 'Номер заявки';
comment on procedure PK_DESK.CLOSE_TICKET is 'Κλείσιμο αιτήματος με σημείωση';
comment on parameter PK_DESK.CLOSE_TICKET.NOTE is '任意のメモ';
comment on function PK_DESK.OPEN_COUNT is 'Сколько заявок у агента в работе';
comment on parameter PK_DESK.OPEN_COUNT.AGENT is 'ID агента';
comment on function F_TICKET_LABEL is 'Метка заявки с местным временем офиса';
comment on procedure SYS_ISRDB$ADMIN is 'Есть ли у подключения роль RDB$ADMIN';
comment on trigger T_SESSION_START is 'Журнал подключений из MON$ATTACHMENTS';

grant select on MON$ATTACHMENTS to trigger T_SESSION_START;
grant insert on SESSION_LOG to trigger T_SESSION_START;
grant select on MON$ATTACHMENTS to procedure SYS_ISRDB$ADMIN;
grant select on MON$ATTACHMENTS to view V_MY_SESSION;
grant select on AGENTS to view V_MY_SESSION;
grant select, insert on TICKET_NOTES to package PK_DESK;

grant select on V_OPEN_TICKETS to role R_AGENT;
grant select on V_MY_TICKETS to role R_AGENT;
grant update (STATUS, ASSIGNEE) on TICKETS to role R_AGENT;
grant insert on TICKET_NOTES to role R_AGENT;
grant execute on package PK_DESK to role R_AGENT;
grant execute on procedure P_MY_TICKETS to role R_AGENT;
grant all on TICKETS to role R_SUPERVISOR with grant option;
grant select, insert, update on TICKET_NOTES to role R_SUPERVISOR;
grant execute on procedure SYS_ISRDB$ADMIN to role R_SUPERVISOR;
grant select on SESSION_LOG to role R_AUDITOR;
grant select on MON$ARCHIVE to role R_AUDITOR;
grant execute on function F_MON$ATTACHMENTS to role R_AUDITOR;
grant select, insert, update on T_RDB$MIRROR to role R_MAINFRAME$SYNC;
grant execute on procedure P_MIRROR$SYNC to role R_MAINFRAME$SYNC;
grant references (ID) on OFFICES to user REPORTS_DESIGNER;
grant update (FULL_NAME) on AGENTS to user PAPADOPOULOS with grant option;
grant select on OFFICES to public;

grant R_AGENT to IVANOVA;
grant R_AGENT to TANAKA;
grant R_SUPERVISOR to PAPADOPOULOS with admin option;
grant R_AUDITOR to "auditor.ext";
grant R_MAINFRAME$SYNC to RDB_BRIDGE;
commit;

/* The offices and the desk's first day. */
insert into OFFICES values (1, 'Athens', 'Αθήνα', 2);
insert into OFFICES values (2, 'Moscow', 'Москва', 3);
insert into OFFICES values (3, 'Osaka', '大阪', 9);

insert into AGENTS values (1, 'IVANOVA', 'Мария Иванова', 2, 1, 0);
insert into AGENTS values (2, 'TANAKA', '田中 太郎', 3, 1, 45);
insert into AGENTS values (3, 'PAPADOPOULOS', 'Γιώργος Παπαδόπουλος', 1, 1, 0);
insert into AGENTS values (4, 'OLD_ACCOUNT', null, null, 0, 0);

insert into T_RDB$MIRROR values ('RDB000000001', 'Заказ 17/2023: ожидает оплаты', timestamp '2023-03-01 08:00:00');
insert into T_RDB$MIRROR values ('RDB000000002', 'Παραγγελία 18/2023', null);

insert into MON$ARCHIVE (ID, TAKEN, ATTACHMENTS) values (1, timestamp '2023-03-01 00:00:00', 12);

insert into SESSION_LOG (ID, AGENT_LOGIN, REMOTE_ADDRESS, STARTED) values (1, 'IVANOVA', '10.2.0.15', timestamp '2023-03-01 07:58:12');

insert into TICKETS (ID, OFFICE, ASSIGNEE, SUBJECT, BODY, STATUS, OPENED, MINUTES, MIRROR_KEY)
values (1000, 2, 1, 'Не проходит оплата', 'Клиент пишет: «карта отклонена».' || ascii_char(10) || 'Повтор через час.',
        'в работе', timestamp '2023-03-01 08:05:00', 20, 'RDB000000001');
insert into TICKETS (ID, OFFICE, ASSIGNEE, SUBJECT, BODY, STATUS, OPENED)
values (1001, 1, 3, 'Λάθος διεύθυνση αποστολής', 'Η διεύθυνση είναι: Οδός Ερμού 12, Αθήνα', 'новая',
        timestamp '2023-03-01 09:00:00');
insert into TICKETS (ID, OFFICE, ASSIGNEE, SUBJECT, BODY, STATUS, OPENED, MINUTES)
values (1002, 3, 2, '配送の遅れについて', '注文番号 18 の配送が三日遅れています。', 'закрыта',
        timestamp '2023-03-01 10:30:00', 95);
insert into TICKETS (ID, OFFICE, SUBJECT, OPENED) values (1003, 2, 'Без исполнителя', timestamp '2023-03-02 00:00:00');

insert into TICKET_NOTES values (1000, 1, 1, 'Позвонила клиенту — обещал проверить карту.');
insert into TICKET_NOTES values (1002, 1, 2, '解決済み。お客様に連絡しました。');
insert into TICKET_NOTES values (1002, 2, null, null);

alter sequence G_TICKET restart with 1003;
commit;

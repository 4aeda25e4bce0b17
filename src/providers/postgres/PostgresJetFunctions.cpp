#include "providers/postgres/PostgresJetFunctions.h"
#include "providers/postgres/PostgresDatabase.h"

#include "core/db/Database.h"

#include <QCryptographicHash>

namespace rp {

namespace {

// Dates arrive as timestamps (a date converts by itself) or as text; numbers as double
// precision (integers convert by themselves). STRICT gives Null out for Null in; plain SQL
// functions are inlined into the query that calls them.
const char* const script = R"SQL(
CREATE OR REPLACE FUNCTION jet_year(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT extract(year FROM $1)::integer $$;
CREATE OR REPLACE FUNCTION jet_month(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT extract(month FROM $1)::integer $$;
CREATE OR REPLACE FUNCTION jet_day(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT extract(day FROM $1)::integer $$;
CREATE OR REPLACE FUNCTION jet_hour(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT extract(hour FROM $1)::integer $$;
CREATE OR REPLACE FUNCTION jet_minute(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT extract(minute FROM $1)::integer $$;
CREATE OR REPLACE FUNCTION jet_second(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT floor(extract(second FROM $1))::integer $$;
CREATE OR REPLACE FUNCTION jet_year(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_year($1::timestamp) $$;
CREATE OR REPLACE FUNCTION jet_month(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_month($1::timestamp) $$;
CREATE OR REPLACE FUNCTION jet_day(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_day($1::timestamp) $$;
CREATE OR REPLACE FUNCTION jet_hour(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_hour($1::timestamp) $$;
CREATE OR REPLACE FUNCTION jet_minute(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_minute($1::timestamp) $$;
CREATE OR REPLACE FUNCTION jet_second(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_second($1::timestamp) $$;

CREATE OR REPLACE FUNCTION jet_weekday(timestamp, integer DEFAULT 1) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS
$$ SELECT ((extract(dow FROM $1)::integer + 7 - ($2 - 1)) % 7) + 1 $$;

-- Plain SQL cannot raise an error of its own; a cast that must fail carries the message.
CREATE OR REPLACE FUNCTION jet_fail(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT ($1 || ' ')::integer::text $$;
CREATE OR REPLACE FUNCTION jet_bad_interval(text, text) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT jet_fail($1 || ': the interval "' || $2 || '" is not one of yyyy, q, m, y, d, w, ww, h, n, s.') $$;

CREATE OR REPLACE FUNCTION jet_dateadd(text, double precision, timestamp) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE lower($1)
  WHEN 'yyyy' THEN $3 + make_interval(years => trunc($2)::integer)
  WHEN 'q' THEN $3 + make_interval(months => 3 * trunc($2)::integer)
  WHEN 'm' THEN $3 + make_interval(months => trunc($2)::integer)
  WHEN 'y' THEN $3 + interval '1 day' * trunc($2)
  WHEN 'd' THEN $3 + interval '1 day' * trunc($2)
  WHEN 'w' THEN $3 + interval '1 day' * trunc($2)
  WHEN 'ww' THEN $3 + interval '7 days' * trunc($2)
  WHEN 'h' THEN $3 + interval '1 hour' * trunc($2)
  WHEN 'n' THEN $3 + interval '1 minute' * trunc($2)
  WHEN 's' THEN $3 + interval '1 second' * trunc($2)
  ELSE jet_bad_interval('DateAdd', $1)::timestamp END $$;

CREATE OR REPLACE FUNCTION jet_datediff(text, timestamp, timestamp, integer DEFAULT 1) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE lower($1)
  WHEN 'yyyy' THEN (extract(year FROM $3) - extract(year FROM $2))::bigint
  WHEN 'q' THEN ((extract(year FROM $3) * 4 + extract(quarter FROM $3)) - (extract(year FROM $2) * 4 + extract(quarter FROM $2)))::bigint
  WHEN 'm' THEN ((extract(year FROM $3) * 12 + extract(month FROM $3)) - (extract(year FROM $2) * 12 + extract(month FROM $2)))::bigint
  WHEN 'y' THEN ($3::date - $2::date)::bigint
  WHEN 'd' THEN ($3::date - $2::date)::bigint
  WHEN 'w' THEN trunc(($3::date - $2::date) / 7.0)::bigint
  WHEN 'ww' THEN ((($3::date - (extract(dow FROM $3)::integer + 7 - ($4 - 1)) % 7) - ($2::date - (extract(dow FROM $2)::integer + 7 - ($4 - 1)) % 7)) / 7)::bigint
  WHEN 'h' THEN ((extract(epoch FROM date_trunc('hour', $3)) - extract(epoch FROM date_trunc('hour', $2))) / 3600)::bigint
  WHEN 'n' THEN ((extract(epoch FROM date_trunc('minute', $3)) - extract(epoch FROM date_trunc('minute', $2))) / 60)::bigint
  WHEN 's' THEN (extract(epoch FROM date_trunc('second', $3)) - extract(epoch FROM date_trunc('second', $2)))::bigint
  ELSE jet_bad_interval('DateDiff', $1)::bigint END $$;

CREATE OR REPLACE FUNCTION jet_datepart(text, timestamp, integer DEFAULT 1) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE lower($1)
  WHEN 'yyyy' THEN extract(year FROM $2)::integer
  WHEN 'q' THEN extract(quarter FROM $2)::integer
  WHEN 'm' THEN extract(month FROM $2)::integer
  WHEN 'y' THEN extract(doy FROM $2)::integer
  WHEN 'd' THEN extract(day FROM $2)::integer
  WHEN 'w' THEN jet_weekday($2, $3)
  WHEN 'ww' THEN (extract(doy FROM $2)::integer + jet_weekday(date_trunc('year', $2), $3) - 2) / 7 + 1
  WHEN 'h' THEN extract(hour FROM $2)::integer
  WHEN 'n' THEN extract(minute FROM $2)::integer
  WHEN 's' THEN floor(extract(second FROM $2))::integer
  ELSE jet_bad_interval('DatePart', $1)::integer END $$;

CREATE OR REPLACE FUNCTION jet_dateserial(integer, integer, integer) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT make_timestamp(CASE WHEN $1 BETWEEN 0 AND 29 THEN $1 + 2000 WHEN $1 BETWEEN 30 AND 99 THEN $1 + 1900 ELSE $1 END, 1, 1, 0, 0, 0)
  + make_interval(months => $2 - 1) + make_interval(days => $3 - 1) $$;
CREATE OR REPLACE FUNCTION jet_datevalue(timestamp) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT date_trunc('day', $1) $$;
CREATE OR REPLACE FUNCTION jet_datevalue(text) RETURNS timestamp LANGUAGE sql STABLE STRICT AS $$ SELECT date_trunc('day', $1::timestamp) $$;
CREATE OR REPLACE FUNCTION jet_now() RETURNS timestamp LANGUAGE sql STABLE AS $$ SELECT localtimestamp(0) $$;
CREATE OR REPLACE FUNCTION jet_date() RETURNS timestamp LANGUAGE sql STABLE AS $$ SELECT current_date::timestamp $$;

CREATE OR REPLACE FUNCTION jet_len(text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT length($1) $$;
CREATE OR REPLACE FUNCTION jet_len(double precision) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT length($1::text) $$;
CREATE OR REPLACE FUNCTION jet_left(text, integer) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT left($1, greatest($2, 0)) $$;
CREATE OR REPLACE FUNCTION jet_right(text, integer) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT right($1, greatest($2, 0)) $$;
CREATE OR REPLACE FUNCTION jet_mid(text, integer) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT substr($1, $2) $$;
CREATE OR REPLACE FUNCTION jet_mid(text, integer, integer) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT substr($1, $2, greatest($3, 0)) $$;
CREATE OR REPLACE FUNCTION jet_ucase(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT upper($1) $$;
CREATE OR REPLACE FUNCTION jet_lcase(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT lower($1) $$;
CREATE OR REPLACE FUNCTION jet_trim(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT btrim($1, ' ') $$;
CREATE OR REPLACE FUNCTION jet_ltrim(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT ltrim($1, ' ') $$;
CREATE OR REPLACE FUNCTION jet_rtrim(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT rtrim($1, ' ') $$;
CREATE OR REPLACE FUNCTION jet_instr(text, text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT strpos(lower($1), lower($2)) $$;
CREATE OR REPLACE FUNCTION jet_instr(integer, text, text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN strpos(lower(substr($2, $1)), lower($3)) = 0 THEN 0 ELSE strpos(lower(substr($2, $1)), lower($3)) + $1 - 1 END $$;
CREATE OR REPLACE FUNCTION jet_replace(text, text, text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT replace($1, $2, $3) $$;

CREATE OR REPLACE FUNCTION jet_val(text) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT coalesce((substring(translate($1, E' \t\n', '') FROM '^[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?'))::double precision, 0) $$;
CREATE OR REPLACE FUNCTION jet_int(double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT floor($1) $$;
CREATE OR REPLACE FUNCTION jet_fix(double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT trunc($1) $$;
CREATE OR REPLACE FUNCTION jet_abs(double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT abs($1) $$;
CREATE OR REPLACE FUNCTION jet_sgn(double precision) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT sign($1)::integer $$;
CREATE OR REPLACE FUNCTION jet_sqr(double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT sqrt($1) $$;
-- Half to even on the decimal value, as Jet rounds.
CREATE OR REPLACE FUNCTION jet_round(double precision, integer DEFAULT 0) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT (CASE WHEN abs(x - trunc(x)) = 0.5 THEN trunc(x) + (CASE WHEN trunc(x) % 2 = 0 THEN 0 ELSE sign(x) END)
             ELSE round(x) END / 10::numeric ^ $2)::double precision
FROM (SELECT $1::numeric * 10::numeric ^ $2 AS x) s $$;
CREATE OR REPLACE FUNCTION jet_str(double precision) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN $1 >= 0 THEN ' ' ELSE '' END || $1::text $$;
CREATE OR REPLACE FUNCTION jet_cstr(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 $$;
CREATE OR REPLACE FUNCTION jet_cstr(double precision) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1::text $$;
CREATE OR REPLACE FUNCTION jet_cstr(timestamp) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT to_char($1, 'YYYY-MM-DD HH24:MI:SS') $$;
CREATE OR REPLACE FUNCTION jet_cdbl(double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 $$;
CREATE OR REPLACE FUNCTION jet_cdbl(text) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT trim($1)::double precision $$;
CREATE OR REPLACE FUNCTION jet_cint(double precision) RETURNS smallint LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_round($1)::smallint $$;
CREATE OR REPLACE FUNCTION jet_clng(double precision) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_round($1)::integer $$;
CREATE OR REPLACE FUNCTION jet_cdate(text) RETURNS timestamp LANGUAGE sql STABLE STRICT AS $$ SELECT $1::timestamp $$;
CREATE OR REPLACE FUNCTION jet_cdate(timestamp) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 $$;
CREATE OR REPLACE FUNCTION jet_cdate(double precision) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT timestamp '1899-12-30' + interval '1 day' * $1 $$;

-- Jet's operators: + joins texts and adds days to dates, - counts days, \ and Mod round their operands (a
-- zero divisor is the server's own "division by zero").
CREATE OR REPLACE FUNCTION jet_add(text, text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 || $2 $$;
CREATE OR REPLACE FUNCTION jet_add(integer, integer) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 + $2 $$;
CREATE OR REPLACE FUNCTION jet_add(bigint, bigint) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 + $2 $$;
CREATE OR REPLACE FUNCTION jet_add(double precision, double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 + $2 $$;
CREATE OR REPLACE FUNCTION jet_add(timestamp, double precision) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT $1 + interval '1 second' * round($2 * 86400) $$;
CREATE OR REPLACE FUNCTION jet_add(double precision, timestamp) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT $2 + interval '1 second' * round($1 * 86400) $$;
CREATE OR REPLACE FUNCTION jet_subtract(integer, integer) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 - $2 $$;
CREATE OR REPLACE FUNCTION jet_subtract(bigint, bigint) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 - $2 $$;
CREATE OR REPLACE FUNCTION jet_subtract(double precision, double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 - $2 $$;
CREATE OR REPLACE FUNCTION jet_subtract(timestamp, double precision) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT $1 - interval '1 second' * round($2 * 86400) $$;
CREATE OR REPLACE FUNCTION jet_subtract(timestamp, timestamp) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT extract(epoch FROM $1 - $2)::double precision / 86400 $$;
CREATE OR REPLACE FUNCTION jet_power(double precision, double precision) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT power($1, $2) $$;
CREATE OR REPLACE FUNCTION jet_intdiv(double precision, double precision) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT trunc(jet_round($1) / jet_round($2))::bigint $$;
CREATE OR REPLACE FUNCTION jet_mod(double precision, double precision) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT jet_round($1)::bigint % jet_round($2)::bigint $$;
CREATE OR REPLACE FUNCTION jet_cdbl(timestamp) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT extract(epoch FROM $1 - timestamp '1899-12-30')::double precision / 86400 $$;
CREATE OR REPLACE FUNCTION jet_int(timestamp) RETURNS double precision LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT floor(jet_cdbl($1)) $$;
CREATE OR REPLACE FUNCTION jet_timeserial(double precision, double precision, double precision) RETURNS timestamp LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT timestamp '1899-12-30' + interval '1 second' * (jet_round($1) * 3600 + jet_round($2) * 60 + jet_round($3)) $$;
-- Texts of repeated characters are bounded, so that a query cannot ask for all the memory there is.
CREATE OR REPLACE FUNCTION jet_repeat(text, double precision, text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN jet_round($2) NOT BETWEEN 0 AND 1000000 THEN jet_fail($3 || ': ' || $2 || ' characters is not a length a text can have.')
  ELSE repeat($1, jet_round($2)::integer) END $$;
CREATE OR REPLACE FUNCTION jet_space(double precision) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_repeat(' ', $1, 'Space') $$;
CREATE OR REPLACE FUNCTION jet_string(double precision, text) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT jet_repeat(left($2, 1), $1, 'String') $$;
CREATE OR REPLACE FUNCTION jet_string(double precision, double precision) RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT jet_repeat(chr(jet_round($2)::integer), $1, 'String') $$;
CREATE OR REPLACE FUNCTION jet_strcomp(text, text, integer DEFAULT 1) RETURNS integer LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN a < b THEN -1 WHEN a > b THEN 1 ELSE 0 END
FROM (SELECT CASE WHEN $3 = 0 THEN $1 ELSE lower($1) END COLLATE "C" AS a,
             CASE WHEN $3 = 0 THEN $2 ELSE lower($2) END COLLATE "C" AS b) s $$;
CREATE OR REPLACE FUNCTION jet_first_step(anyelement, anyelement) RETURNS anyelement LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $1 $$;
CREATE OR REPLACE FUNCTION jet_last_step(anyelement, anyelement) RETURNS anyelement LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT $2 $$;
CREATE OR REPLACE AGGREGATE jet_first(anyelement) (SFUNC = jet_first_step, STYPE = anyelement);
CREATE OR REPLACE AGGREGATE jet_last(anyelement) (SFUNC = jet_last_step, STYPE = anyelement);
-- Text compared as Jet compares it: ignoring case.
CREATE COLLATION IF NOT EXISTS jet_nocase (provider = icu, locale = 'und-u-ks-level2', deterministic = false);

CREATE OR REPLACE FUNCTION jet_iif(boolean, anycompatible, anycompatible) RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$
SELECT CASE WHEN $1 THEN $2 ELSE $3 END $$;
CREATE OR REPLACE FUNCTION jet_nz(anycompatible, anycompatible) RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$ SELECT coalesce($1, $2) $$;
CREATE OR REPLACE FUNCTION jet_nz(text) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT coalesce($1, '') $$;
CREATE OR REPLACE FUNCTION jet_nz(double precision) RETURNS double precision LANGUAGE sql IMMUTABLE AS $$ SELECT coalesce($1, 0) $$;
CREATE OR REPLACE FUNCTION jet_isnull(anyelement) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$ SELECT $1 IS NULL $$;
CREATE OR REPLACE FUNCTION jet_isnumeric(text) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
SELECT coalesce(trim($1) ~ '^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$', false) $$;
CREATE OR REPLACE FUNCTION jet_isnumeric(double precision) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$ SELECT $1 IS NOT NULL $$;
-- ISO dates (with a time) and month-first dates, on the calendar.
CREATE OR REPLACE FUNCTION jet_isdate(text) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
SELECT coalesce(CASE
  WHEN m IS NULL THEN false
  WHEN m[2]::integer NOT BETWEEN 1 AND 12 OR m[3]::integer < 1 THEN false
  ELSE m[3]::integer <= extract(day FROM make_date(m[1]::integer, m[2]::integer, 1) + interval '1 month - 1 day')
END, false)
FROM (SELECT
  coalesce(regexp_match(trim($1), '^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})(?:[ T][0-9]{1,2}:[0-9]{2}(?::[0-9]{2}(?:\.[0-9]+)?)?)?$'),
           (SELECT ARRAY[x[3], x[1], x[2]] FROM regexp_match(trim($1), '^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})(?: [0-9]{1,2}:[0-9]{2}(?::[0-9]{2})?)?$') AS x)) AS m) s $$;
CREATE OR REPLACE FUNCTION jet_isdate(timestamp) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$ SELECT $1 IS NOT NULL $$;

-- Format: date patterns (yyyy yy mmmm mmm mm m dd d hh h nn n ss s) and fixed decimals (0, 0.0 …);
-- any other number pattern is refused rather than shown wrong.
CREATE OR REPLACE FUNCTION jet_format(timestamp, text DEFAULT NULL) RETURNS text LANGUAGE sql IMMUTABLE AS $$
SELECT CASE WHEN $1 IS NULL THEN NULL
  WHEN $2 IS NULL OR $2 = '' THEN to_char($1, 'YYYY-MM-DD HH24:MI:SS')
  ELSE (SELECT string_agg(CASE t.m[1]
        WHEN 'yyyy' THEN to_char($1, 'YYYY') WHEN 'yy' THEN to_char($1, 'YY')
        WHEN 'mmmm' THEN to_char($1, 'FMMonth') WHEN 'mmm' THEN to_char($1, 'Mon')
        WHEN 'mm' THEN to_char($1, 'MM') WHEN 'm' THEN to_char($1, 'FMMM')
        WHEN 'dd' THEN to_char($1, 'DD') WHEN 'd' THEN to_char($1, 'FMDD')
        WHEN 'hh' THEN to_char($1, 'HH24') WHEN 'h' THEN to_char($1, 'FMHH24')
        WHEN 'nn' THEN to_char($1, 'MI') WHEN 'n' THEN to_char($1, 'FMMI')
        WHEN 'ss' THEN to_char($1, 'SS') WHEN 's' THEN to_char($1, 'FMSS')
        ELSE t.m[1] END, '' ORDER BY t.n)
    FROM regexp_matches(CASE lower($2) WHEN 'short date' THEN 'm/d/yyyy' WHEN 'long time' THEN 'hh:nn:ss' ELSE $2 END,
                        '(yyyy|yy|mmmm|mmm|mm|m|dd|d|hh|h|nn|n|ss|s|.)', 'g') WITH ORDINALITY AS t(m, n))
END $$;
CREATE OR REPLACE FUNCTION jet_format(double precision, text DEFAULT NULL) RETURNS text LANGUAGE sql IMMUTABLE AS $$
SELECT CASE WHEN $1 IS NULL THEN NULL
  WHEN $2 IS NULL OR $2 = '' THEN $1::text
  WHEN $2 ~ '^0(\.0+)?$' THEN round($1::numeric, greatest(length($2) - 2, 0))::text
  ELSE jet_fail('Format: the pattern "' || $2 || '" is not supported on a PostgreSQL HDB; use 0, 0.0, 0.00 and so on.') END $$;
CREATE OR REPLACE FUNCTION jet_format(text, text DEFAULT NULL) RETURNS text LANGUAGE sql IMMUTABLE AS $$
SELECT CASE WHEN $2 IS NULL OR $2 = '' THEN $1 ELSE jet_format($1::timestamp, $2) END $$;
)SQL";

} // namespace

QString postgresJetFunctionsVersion() {
    static const QString version = QString::fromLatin1(
        QCryptographicHash::hash(QByteArray(script), QCryptographicHash::Sha1).toHex().left(16));
    return version;
}

QString postgresJetFunctionsScript() {
    return QString::fromUtf8(script) +
           QStringLiteral("CREATE OR REPLACE FUNCTION jet_functions_version() RETURNS text "
                          "LANGUAGE sql IMMUTABLE AS $$ SELECT '%1'::text $$;\n")
               .arg(postgresJetFunctionsVersion());
}

void installPostgresJetFunctions(Database& database) {
    database.executeNative(postgresJetFunctionsScript());
}

QString PostgresDatabase::hdbSupportScript() const {
    return postgresJetFunctionsScript();
}

} // namespace rp

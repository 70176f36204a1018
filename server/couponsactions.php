<?php
// SPDX-License-Identifier: GPL-3.0-or-later
// couponsactions.php: the shop's coupon service.
//
// The desktop client manages the coupons through numbered actions posted to
// this script (1 to 6, 8 and 9); buyers send action 7 from the order-page
// form. The script reads its database values from coupsettings.php in its
// own directory (the file the client's Settings dialog writes) and creates
// its two tables on first use, so the owner only uploads the two files.
//
// Replies are plain text, byte for byte as the client reads them: "OK",
// "EXIST RECORD", "DON'T EXIST RECORD", or records of double-quoted values
// joined by commas, each record followed by "^", and "OK" last. Nothing that
// PHP or the database says about itself ever reaches a reply: every failure
// becomes one fixed line starting with "ERROR:" under an error status. No
// error text contains "OK", since the client looks for "OK" anywhere in the
// replies of the list actions.
//
// Every value reaches the database as a bound parameter; no request text is
// ever part of a query.
//
// The list and the log (actions 5 and 6) are streamed: records go out in
// blocks as the database hands them over, so the script's memory stays the
// same whatever the size of the tables. Writes run in transactions that
// take the coupon's row before its uses and are tried again when the
// database reports a deadlock or a lock wait that timed out, as it does
// when a buyer races the owner, and as a replicated database (a Galera
// cluster) does when it finds a conflict at commit.
//
// An optional coupaccess.php beside this script limits every action but the
// buyers' action 7 to listed client addresses (see README).

declare(strict_types=1);

ini_set('display_errors', '0');
ini_set('display_startup_errors', '0');
ini_set('html_errors', '0');
// Values are bytes in the owner's code page; no charset is claimed for them.
ini_set('default_charset', '');
error_reporting(E_ALL);

const COUPONS_TABLE = 'couponsactions_coupons';
const USES_TABLE = 'couponsactions_uses';

// The longest values the tables hold. Longer ones are refused rather than
// cut, so what is stored is always what was sent.
const MAX_CODE = 255;
const MAX_TEXT = 65535;
const MAX_COMMENTS = 16777215;

/** A failure that ends the request with a fixed plain-text reply. */
final class ReplyError extends Exception
{
    public function __construct(public readonly int $status, string $text)
    {
        parent::__construct($text);
    }
}

function fail(int $status, string $text): never
{
    throw new ReplyError($status, $text);
}

/** Drops whatever was buffered and sets the headers of a plain-text reply. */
function send_headers(int $status): void
{
    while (ob_get_level() > 0) {
        ob_end_clean();
    }
    header_remove('X-Powered-By');
    http_response_code($status);
    header('Content-Type: text/plain');
    header('X-Content-Type-Options: nosniff');
    header('Cache-Control: no-store');
}

function send_reply(int $status, string $text): void
{
    send_headers($status);
    echo $text;
}

function send_redirect(string $url): void
{
    while (ob_get_level() > 0) {
        ob_end_clean();
    }
    header_remove('X-Powered-By');
    header('Cache-Control: no-store');
    // A header cannot carry control bytes other than a tab: PHP refuses the
    // call, Apache the reply, and the buyer, whose use is already logged,
    // would get an error. They go percent-encoded, as a browser requests
    // them.
    $url = preg_replace_callback('~[\x00-\x08\x0A-\x1F\x7F]~',
        static fn(array $m): string => sprintf('%%%02X', ord($m[0])), $url);
    header('Location: ' . $url, true, 303);
}

// ---------------------------------------------------------------------------
// Settings and access

/**
 * A host's opcode cache looks at a cached file only now and then, or never;
 * the owner's settings and access list count from the next request after
 * they were uploaded, so their cached copies are checked against the files.
 */
function forget_stale_copy(string $file): void
{
    if (function_exists('opcache_invalidate')) {
        // A host may restrict the call; the cache then has its way.
        @opcache_invalidate($file);
    }
}

/**
 * The five values of coupsettings.php. The file is PHP source; it is run in
 * a scope of its own and anything it prints is thrown away.
 */
function load_settings(): array
{
    $file = __DIR__ . '/coupsettings.php';
    if (!is_file($file)) {
        fail(500, 'ERROR: the server settings file coupsettings.php is missing');
    }
    forget_stale_copy($file);
    try {
        $values = (static function (string $file): array {
            $hostname = $database = $username = $password = $invalidpage = null;
            ob_start();
            try {
                include $file;
            } finally {
                ob_end_clean();
            }
            return compact('hostname', 'database', 'username', 'password', 'invalidpage');
        })($file);
    } catch (Throwable $e) {
        fail(500, 'ERROR: the server settings file coupsettings.php cannot be read');
    }
    foreach ($values as $value) {
        if (!is_string($value)) {
            fail(500, 'ERROR: the server settings file coupsettings.php is incomplete');
        }
    }
    return $values;
}

/**
 * Stops the request unless the client address may use the owner's actions.
 * Without coupaccess.php every address may; a list that cannot be read lets
 * no address in, so a broken file never opens the service by accident.
 */
function check_access(): void
{
    $file = __DIR__ . '/coupaccess.php';
    if (!file_exists($file)) {
        return;
    }
    forget_stale_copy($file);
    try {
        $allowed = (static function (string $file) {
            $allowedaddresses = null;
            ob_start();
            try {
                include $file;
            } finally {
                ob_end_clean();
            }
            return $allowedaddresses;
        })($file);
    } catch (Throwable $e) {
        $allowed = null;
    }
    if (!is_array($allowed)) {
        fail(403, 'ERROR: the access list coupaccess.php cannot be read');
    }
    $address = (string)($_SERVER['REMOTE_ADDR'] ?? '');
    foreach ($allowed as $entry) {
        if (is_string($entry) && address_matches($address, trim($entry))) {
            return;
        }
    }
    fail(403, 'ERROR: access denied for this address');
}

/** An address against one entry: an address, or a range as address/bits. */
function address_matches(string $address, string $entry): bool
{
    $bits = null;
    if (preg_match('~^(.+)/(\d{1,3})$~D', $entry, $m)) {
        $entry = $m[1];
        $bits = (int)$m[2];
    }
    $a = @inet_pton($address);
    $b = @inet_pton($entry);
    if ($a === false || $b === false || strlen($a) !== strlen($b)) {
        return false;
    }
    $total = strlen($a) * 8;
    if ($bits === null) {
        $bits = $total;
    }
    if ($bits > $total) {
        return false;
    }
    $whole = intdiv($bits, 8);
    if (substr($a, 0, $whole) !== substr($b, 0, $whole)) {
        return false;
    }
    $rest = $bits % 8;
    if ($rest === 0) {
        return true;
    }
    $mask = (0xFF << (8 - $rest)) & 0xFF;
    return (ord($a[$whole]) & $mask) === (ord($b[$whole]) & $mask);
}

// ---------------------------------------------------------------------------
// Database

/**
 * Host, port and socket from the MySQL host value: "host", "host:port",
 * "[v6 address]:port" or "localhost:/path/to/socket", as shared hosts give it.
 */
function split_host(string $hostname): array
{
    if (preg_match('~^\[([^\]]+)\](?::(\d{1,5}))?$~D', $hostname, $m)) {
        return [$m[1], isset($m[2]) ? (int)$m[2] : null, null];
    }
    if (substr_count($hostname, ':') === 1) {
        [$host, $rest] = explode(':', $hostname, 2);
        if (preg_match('~^\d{1,5}$~D', $rest)) {
            return [$host, (int)$rest, null];
        }
        if ($rest !== '' && $rest[0] === '/') {
            return [$host, null, $rest];
        }
    }
    return [$hostname === '' ? null : $hostname, null, null];
}

function connect_database(array $settings): mysqli
{
    mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
    [$host, $port, $socket] = split_host($settings['hostname']);
    try {
        $db = mysqli_init();
        $db->options(MYSQLI_OPT_CONNECT_TIMEOUT, 10);
        $db->real_connect($host, $settings['username'], $settings['password'],
                          $settings['database'], $port, $socket);
        // Values are stored and returned as the bytes that came in.
        $db->set_charset('binary');
    } catch (Throwable $e) {
        fail(503, 'ERROR: cannot connect to the database');
    }
    ensure_schema($db);
    return $db;
}

/** Creates the two tables when they are missing; harmless when they exist. */
function ensure_schema(mysqli $db): void
{
    // Binary columns: codes compare exactly (case and trailing blanks count)
    // and every byte comes back as it was stored.
    $db->query('CREATE TABLE IF NOT EXISTS ' . COUPONS_TABLE . ' (
        coupid INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
        coupcode VARBINARY(' . MAX_CODE . ') NOT NULL,
        coupname BLOB NOT NULL,
        coupexpired TINYINT NOT NULL DEFAULT 0,
        coupexpirtype VARBINARY(1) NOT NULL DEFAULT \'\',
        coupexpirdays INT NOT NULL DEFAULT 0,
        coupexpirdate DATE NOT NULL,
        couponorderurl BLOB NOT NULL,
        couponcomments MEDIUMBLOB NOT NULL,
        coupcreatedate DATE NOT NULL,
        UNIQUE KEY coupcode (coupcode)
    ) ENGINE=InnoDB');
    // A coupon's uses go with it when it is deleted.
    $db->query('CREATE TABLE IF NOT EXISTS ' . USES_TABLE . ' (
        useid INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
        coupid INT UNSIGNED NOT NULL,
        coupcode VARBINARY(' . MAX_CODE . ') NOT NULL,
        usedate DATETIME NOT NULL,
        computerip VARBINARY(64) NOT NULL,
        KEY coupid (coupid),
        CONSTRAINT ' . USES_TABLE . '_coupon FOREIGN KEY (coupid)
            REFERENCES ' . COUPONS_TABLE . ' (coupid) ON DELETE CASCADE
    ) ENGINE=InnoDB');
}

/** Runs a prepared statement with text parameters; returns the statement. */
function run(mysqli $db, string $sql, array $params = []): mysqli_stmt
{
    $stmt = $db->prepare($sql);
    if ($params) {
        $stmt->bind_param(str_repeat('s', count($params)), ...$params);
    }
    $stmt->execute();
    return $stmt;
}

/** All rows of a prepared query, each a list of texts. */
function rows(mysqli $db, string $sql, array $params = []): array
{
    $stmt = run($db, $sql, $params);
    $result = $stmt->get_result();
    $rows = [];
    while (($row = $result->fetch_row()) !== null) {
        $rows[] = array_map('strval', $row);
    }
    $stmt->close();
    return $rows;
}

// MariaDB's and MySQL's "deadlock found" (a Galera cluster gives it for a
// conflict found at commit too) and "lock wait timeout exceeded".
const RETRIED_ERRORS = [1213, 1205];
const ATTEMPTS = 5;

/**
 * Runs $work in a transaction and commits it; tries the whole transaction
 * again, after a short pause of random length so the racers part, when the
 * database gave it up for a deadlock or a lock wait. Only a committed
 * transaction counts: what $work returns is returned after the commit.
 */
function in_transaction(mysqli $db, callable $work): mixed
{
    for ($attempt = 1; ; ++$attempt) {
        try {
            $db->begin_transaction();
            $result = $work();
            $db->commit();
            return $result;
        } catch (Throwable $e) {
            try {
                $db->rollback();
            } catch (Throwable $ignored) {
                // A connection that is gone has rolled back on its own.
            }
            if (!($e instanceof mysqli_sql_exception) || !in_array($e->getCode(), RETRIED_ERRORS, true)
                || $attempt >= ATTEMPTS) {
                throw $e;
            }
        }
        usleep(random_int(5000, 25000) * $attempt);
    }
}

// ---------------------------------------------------------------------------
// Request fields

/** A posted text field; a missing field, or one sent as a list, is refused. */
function field(string $name): string
{
    $value = $_POST[$name] ?? null;
    if (!is_string($value)) {
        fail(400, 'ERROR: missing field ' . $name);
    }
    return $value;
}

function bad_value(string $name): never
{
    fail(400, 'ERROR: bad value in field ' . $name);
}

/**
 * A text that the reply grammar can carry back unchanged: no caret, no comma
 * and, unless allowed, no line break. Anything else would come back cut or
 * shifted into other fields, and saving it again would store the damage.
 */
function carried_text(string $name, int $max, bool $lineBreaks = false, bool $allowEmpty = true): string
{
    $value = field($name);
    if ((!$allowEmpty && $value === '') || strlen($value) > $max) {
        bad_value($name);
    }
    $forbidden = $lineBreaks ? '~[\^,]~' : '~[\^,\r\n]~';
    if (preg_match($forbidden, $value)) {
        bad_value($name);
    }
    return $value;
}

/** "yyyy-m-d" (leading zeros tolerated) as "yyyy-mm-dd" for the database. */
function wire_date(string $name): string
{
    $value = field($name);
    if (!preg_match('~^(\d{4})-(\d{1,2})-(\d{1,2})$~D', $value, $m)
        || (int)$m[1] < 1000 || !checkdate((int)$m[2], (int)$m[3], (int)$m[1])) {
        bad_value($name);
    }
    return sprintf('%04d-%02d-%02d', (int)$m[1], (int)$m[2], (int)$m[3]);
}

function identifier(string $value, string $name): string
{
    if (!preg_match('~^[1-9]\d{0,9}$~D', $value) || (int)$value > 4294967295) {
        bad_value($name);
    }
    return $value;
}

/** The ten coupon fields of actions 2 and 3, checked. */
function coupon_fields(bool $adding): array
{
    $id = field('coupid');
    if ($adding && $id !== '') {
        bad_value('coupid');
    }
    if (!$adding) {
        identifier($id, 'coupid');
    }
    $code = carried_text('coupcode', MAX_CODE, false, false);
    $name = carried_text('coupname', MAX_TEXT, false, false);
    $expired = field('coupexpired');
    if ($expired !== '0' && $expired !== '1') {
        bad_value('coupexpired');
    }
    $type = field('coupexpirtype');
    if (!in_array($type, ['', '1', '2', '3'], true)) {
        bad_value('coupexpirtype');
    }
    $days = field('coupexpirdays');
    if (!preg_match('~^-?\d{1,10}$~D', $days) || (int)$days < -2147483648 || (int)$days > 2147483647) {
        bad_value('coupexpirdays');
    }
    $date = wire_date('coupexpirdate');
    $url = carried_text('couponorderurl', MAX_TEXT);
    $comments = carried_text('couponcomments', MAX_COMMENTS, true);
    $created = wire_date('coupcreatedate');
    field('end');
    return [$id, $code, $name, $expired, $type, (string)(int)$days, $date, $url, $comments, $created];
}

// ---------------------------------------------------------------------------
// Replies with records

// The streamed replies go out in blocks of about this many bytes.
const STREAM_BLOCK = 65536;

// Set once the first block of a streamed reply has gone out: from then on a
// failure can no longer change the status, only cut the reply short.
$GLOBALS['streaming'] = false;

/**
 * Ends a streamed reply that failed after its first block: the reply stops
 * without its final "^OK", with the failure line on a record of its own,
 * which no reader of the grammar takes for a whole reply. The details go to
 * the web server's log.
 */
function cut_stream(string $why): void
{
    error_log('couponsactions.php: a streamed reply was cut short: ' . $why);
    echo 'ERROR: the server failed';
}

/**
 * A column that the database fills with one record of the reply grammar:
 * the values between double quotes, joined by commas, "^" after.
 */
function record_sql(array $columns): string
{
    return "CONCAT('\"', " . implode(", '\",\"', ", $columns) . ", '\"^')";
}

/**
 * The records of a query whose one column is a record_sql(), read
 * unbuffered and written as they come: the script holds one block of
 * records, never the table. Until the first block is out a failure still
 * gives the usual failure reply.
 */
function stream_records(mysqli $db, string $sql): void
{
    $result = $db->query($sql, MYSQLI_USE_RESULT);
    $block = '';
    try {
        while (($row = $result->fetch_row()) !== null && $row !== false) {
            $block .= $row[0];
            if (strlen($block) >= STREAM_BLOCK) {
                if (!$GLOBALS['streaming']) {
                    send_headers(200);
                    $GLOBALS['streaming'] = true;
                }
                echo $block;
                flush();
                $block = '';
            }
        }
        // A read that fails mid-way ends the loop like the last row does.
        if ($db->errno !== 0) {
            throw new mysqli_sql_exception($db->error, $db->errno);
        }
        $result->free();
    } catch (Throwable $e) {
        if (!$GLOBALS['streaming']) {
            throw $e;
        }
        cut_stream(get_class($e) . ': ' . $e->getMessage());
        return;
    }
    if (!$GLOBALS['streaming']) {
        send_reply(200, $block . 'OK');
        return;
    }
    echo $block, 'OK';
}

const WIRE_DATE = "'%Y-%c-%e'";

// ---------------------------------------------------------------------------
// Actions

/** Action 1: ready once the database answers and the tables are there. */
function action_check(mysqli $db): string
{
    field('end');
    return 'OK';
}

/**
 * Runs the statement that stores a coupon's fields; "EXIST RECORD" when the
 * code's unique key refuses it because another coupon has that code (the
 * statement then changed nothing), else "OK".
 */
function store_coupon(mysqli $db, string $sql, array $params): string
{
    try {
        run($db, $sql, $params)->close();
    } catch (mysqli_sql_exception $e) {
        if ($e->getCode() === 1062) {
            return 'EXIST RECORD';
        }
        throw $e;
    }
    return 'OK';
}

function action_add(mysqli $db): string
{
    [, $code, $name, $expired, $type, $days, $date, $url, $comments, $created] = coupon_fields(true);
    // Looked up first so a refused add spends no identifier; the unique key
    // still decides between two adds that race.
    return in_transaction($db, static fn(): string =>
        rows($db, 'SELECT 1 FROM ' . COUPONS_TABLE . ' WHERE coupcode = ?', [$code])
            ? 'EXIST RECORD'
            : store_coupon($db, 'INSERT INTO ' . COUPONS_TABLE . ' (coupcode, coupname, coupexpired, coupexpirtype,
                  coupexpirdays, coupexpirdate, couponorderurl, couponcomments, coupcreatedate)
                  VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)',
                [$code, $name, $expired, $type, $days, $date, $url, $comments, $created]));
}

function action_update(mysqli $db): string
{
    // The creation date is kept: a coupon valid for some days counts them
    // from when it was made, not from its last edit.
    [$id, $code, $name, $expired, $type, $days, $date, $url, $comments] = coupon_fields(false);
    // The coupon's row first, by its key, as redemption and delete take it.
    return in_transaction($db, static fn(): string =>
        !rows($db, 'SELECT coupid FROM ' . COUPONS_TABLE . ' WHERE coupid = ? FOR UPDATE', [$id])
            ? "DON'T EXIST RECORD"
            : store_coupon($db, 'UPDATE ' . COUPONS_TABLE . ' SET coupcode = ?, coupname = ?, coupexpired = ?,
                  coupexpirtype = ?, coupexpirdays = ?, coupexpirdate = ?, couponorderurl = ?,
                  couponcomments = ? WHERE coupid = ?',
                [$code, $name, $expired, $type, $days, $date, $url, $comments, $id]));
}

/**
 * The pieces of a comma-separated list, one at a time: a list of a million
 * identifiers is walked without a million strings in memory.
 */
function list_pieces(string $list): Generator
{
    $start = 0;
    while (($comma = strpos($list, ',', $start)) !== false) {
        yield substr($list, $start, $comma - $start);
        $start = $comma + 1;
    }
    yield substr($list, $start);
}

const DELETE_CHUNK = 500;

function delete_coupons(mysqli $db, array $ids): void
{
    $marks = implode(',', array_fill(0, count($ids), '?'));
    run($db, 'DELETE FROM ' . COUPONS_TABLE . " WHERE coupid IN ($marks)", $ids)->close();
}

function action_delete(mysqli $db): string
{
    $ids = field('coupdeleteids');
    field('end');
    // A coupon's row goes before its uses (the key's cascade), the order in
    // which redemption takes them.
    if ($ids === 'all') {
        in_transaction($db, static fn() => run($db, 'DELETE FROM ' . COUPONS_TABLE)->close());
        return 'OK';
    }
    // Every identifier is checked before anything is deleted. Each on its
    // own: one pattern over the whole list runs out of the regular-expression
    // engine's stack for a few thousand.
    foreach (list_pieces($ids) as $id) {
        identifier($id, 'coupdeleteids');
    }
    in_transaction($db, static function () use ($db, $ids): void {
        $chunk = [];
        foreach (list_pieces($ids) as $id) {
            $chunk[] = $id;
            if (count($chunk) === DELETE_CHUNK) {
                delete_coupons($db, $chunk);
                $chunk = [];
            }
        }
        if ($chunk) {
            delete_coupons($db, $chunk);
        }
    });
    return 'OK';
}

function action_list(mysqli $db): void
{
    field('end');
    stream_records($db, 'SELECT ' . record_sql(['coupid', 'coupcode', 'coupname', 'coupexpired']) . ' FROM '
        . COUPONS_TABLE . ' ORDER BY coupid');
}

/**
 * The log in the order the uses were logged. By identifier, which is the
 * table's own order: the database streams it as it reads it, where an order
 * by date would first sort the whole log. A DATETIME without fractions
 * becomes text as "yyyy-mm-dd hh:mm:ss", the layout the client reads.
 */
function action_statistics(mysqli $db): void
{
    field('end');
    stream_records($db, 'SELECT ' . record_sql(['useid', 'coupcode', 'usedate', 'computerip']) . ' FROM '
        . USES_TABLE . ' ORDER BY useid');
}

function action_code_exists(mysqli $db): string
{
    $code = field('coupcode');
    field('end');
    return rows($db, 'SELECT 1 FROM ' . COUPONS_TABLE . ' WHERE coupcode = ?', [$code])
        ? 'EXIST RECORD' : "DON'T EXIST RECORD";
}

function action_fetch(mysqli $db): string
{
    $id = identifier(field('coupid'), 'coupid');
    field('end');
    $found = rows($db, 'SELECT ' . record_sql(['coupid', 'coupcode', 'coupname', 'coupexpired', 'coupexpirtype',
        'coupexpirdays', 'DATE_FORMAT(coupexpirdate, ' . WIRE_DATE . ')', 'couponorderurl', 'couponcomments',
        'DATE_FORMAT(coupcreatedate, ' . WIRE_DATE . ')']) . ' FROM ' . COUPONS_TABLE . ' WHERE coupid = ?', [$id]);
    return ($found[0][0] ?? '') . 'OK';
}

/**
 * Action 7, a buyer's code from the order-page form. A code that exists, is
 * not marked expired and is still valid by its kind is logged as a use (a
 * one-time coupon is marked expired with it) and the buyer goes on to the
 * coupon's order page; anything else leads to the invalid page. Dates are
 * the database's, so the log and the validity use one clock.
 */
function action_redeem(): void
{
    $settings = load_settings();
    $code = $_POST['coupcode'] ?? null;
    $target = null;
    if (is_string($code) && $code !== '') {
        $db = connect_database($settings);
        // The page is chosen only once the transaction is committed, so a
        // buyer reaches the order page exactly when the use is logged.
        $target = in_transaction($db, static fn(): ?string => redeem($db, $code));
    }
    if ($target === null) {
        $target = $settings['invalidpage'];
        if ($target === '' || preg_match('~[\x00-\x1F\x7F]~', $target)) {
            send_reply(404, 'The coupon code is not valid.');
            return;
        }
    }
    send_redirect($target);
}

/**
 * Logs a use of the code when it is valid; returns its order page, or null
 * when it is not valid. The coupon's row is locked by its key before its
 * uses are read, as update and delete take it: a lock through the code's
 * index first would take the two in the other order than a delete does and
 * end in a deadlock.
 */
function redeem(mysqli $db, string $code): ?string
{
    $found = rows($db, 'SELECT coupid FROM ' . COUPONS_TABLE . ' WHERE coupcode = ?', [$code]);
    if (!$found) {
        return null;
    }
    // Read again under the lock, with what is committed now: an edit or a
    // delete may have come in between. Locked by the key alone, so no
    // choice of index can take the code's entry first.
    $id = $found[0][0];
    $coupon = rows($db, 'SELECT coupcode, couponorderurl, coupexpirtype, coupexpired,
        CASE coupexpirtype
            WHEN \'2\' THEN DATEDIFF(CURDATE(), coupcreatedate) < coupexpirdays
            WHEN \'3\' THEN CURDATE() <= coupexpirdate
            ELSE 1 END
        FROM ' . COUPONS_TABLE . ' WHERE coupid = ? FOR UPDATE', [$id]);
    if (!$coupon) {
        return null;
    }
    [$stored, $url, $type, $expired, $valid] = $coupon[0];
    // A coupon without an order page has nowhere to send the buyer: it is
    // not spent.
    if ($stored !== $code || $expired !== '0' || $valid !== '1' || $url === '') {
        return null;
    }
    if ($type === '1' && rows($db, 'SELECT 1 FROM ' . USES_TABLE . ' WHERE coupid = ? LIMIT 1 FOR UPDATE', [$id])) {
        return null;
    }
    $address = substr((string)($_SERVER['REMOTE_ADDR'] ?? ''), 0, 64);
    run($db, 'INSERT INTO ' . USES_TABLE . ' (coupid, coupcode, usedate, computerip) VALUES (?, ?, NOW(), ?)',
        [$id, $code, $address])->close();
    if ($type === '1') {
        // Also what makes two nodes of a replicated database that accept the
        // same one-time code at once conflict at commit.
        run($db, 'UPDATE ' . COUPONS_TABLE . ' SET coupexpired = 1 WHERE coupid = ?', [$id])->close();
    }
    return $url;
}

function main(): void
{
    $method = $_SERVER['REQUEST_METHOD'] ?? 'GET';
    if ($method === 'GET' || $method === 'HEAD') {
        // The client fetches the script before it adds a coupon.
        check_access();
        send_reply(200, 'Coupon service');
        return;
    }
    if ($method !== 'POST') {
        fail(405, 'ERROR: method not allowed');
    }
    $action = field('action');
    if ($action === '7') {
        action_redeem();
        return;
    }
    check_access();
    $handlers = [
        '1' => 'action_check',
        '2' => 'action_add',
        '3' => 'action_update',
        '4' => 'action_delete',
        '5' => 'action_list',
        '6' => 'action_statistics',
        '8' => 'action_code_exists',
        '9' => 'action_fetch',
    ];
    if (!isset($handlers[$action])) {
        fail(400, 'ERROR: unknown action');
    }
    $db = connect_database(load_settings());
    // The list and the log reply as they go; the others give their text.
    $reply = $handlers[$action]($db);
    if ($reply !== null) {
        send_reply(200, $reply);
    }
}

// Warnings and notices become failures, so none can slip into a reply.
// A call silenced with @ stays silent.
set_error_handler(static function (int $severity, string $message, string $file, int $line): bool {
    if ((error_reporting() & $severity) === 0) {
        return true;
    }
    throw new ErrorException($message, 0, $severity, $file, $line);
});

// A fatal error (out of memory, say) cannot be caught: its reply is replaced
// by the plain failure line.
register_shutdown_function(static function (): void {
    $error = error_get_last();
    if ($error !== null && ($error['type'] & (E_ERROR | E_PARSE | E_CORE_ERROR | E_COMPILE_ERROR)) !== 0) {
        if ($GLOBALS['streaming']) {
            cut_stream($error['message']);
            return;
        }
        while (ob_get_level() > 0) {
            ob_end_clean();
        }
        if (!headers_sent()) {
            http_response_code(500);
            header('Content-Type: text/plain');
        }
        echo 'ERROR: the server failed';
    }
});

ob_start();
try {
    main();
} catch (ReplyError $e) {
    send_reply($e->status, $e->getMessage());
} catch (Throwable $e) {
    // The details go to the web server's log only.
    error_log('couponsactions.php: ' . get_class($e) . ': ' . $e->getMessage());
    send_reply(500, 'ERROR: the server failed');
}

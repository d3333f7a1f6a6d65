// A query's rows spooled into a temporary CSV file. The query runs forward
// only, so that neither Qt nor the driver keeps the rows it has handed over;
// the file's name is removed as soon as it is open, so nothing is left
// behind whatever happens afterwards.
#include "sources/SqlData.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/CsvField.h"
#include "platform/GbkCodec.h"
#include "platform/OutputFile.h"
#include "platform/Texts.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"

namespace quillet {
namespace {

constexpr const char* kUrlForms
    = QUILLET_TEXT("SqlData", "应写成 sqlite:文件 或 postgresql://用户:密码@主机:端口/数据库");
// libpq waits this many seconds for a server that does not answer.
constexpr const char* kConnectTimeout = "10";
// The spooled rows go to the file in pieces of this size.
constexpr std::size_t kWriteChunk = 1 << 20;

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return lower;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// %XX sequences to their bytes, as libpq does; false on a bad one or %00.
bool PercentDecode(std::string_view text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0))
            return false;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return true;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The address as it may be shown: a password in it, before the host or as a
// parameter, replaced by stars.
std::string WithoutPassword(std::string url)
{
    const std::size_t scheme = url.find("://");
    if (scheme != std::string::npos) {
        const std::size_t start = scheme + 3;
        const std::size_t at = url.rfind('@');
        const std::size_t colon = url.find(':', start);
        if (at != std::string::npos && at > start && colon < at)
            url = url.substr(0, colon + 1) + "***" + url.substr(at);
    }
    for (std::size_t from = url.find('?'); from != std::string::npos; from = url.find('&', from + 1)) {
        if (url.compare(from + 1, 9, "password=") != 0)
            continue;
        const std::size_t value = from + 10;
        const std::size_t end = url.find('&', value);
        url.replace(value, end == std::string::npos ? std::string::npos : end - value, "***");
    }
    return url;
}

// pattern: the complaint, %1 the address shown without its password.
std::string BadUrl(const std::string& url, const char* pattern)
{
    return FillIn(Tr("SqlData", pattern), { WithoutPassword(url), Tr("SqlData", kUrlForms) });
}

// One "host[:port]" of the host list; an IPv6 address in brackets.
bool ReadHost(std::string_view spec, std::string& host, std::string& port)
{
    std::string_view rawHost = spec;
    std::string_view rawPort;
    if (spec.starts_with('[')) {
        const std::size_t close = spec.find(']');
        if (close == std::string_view::npos)
            return false;
        rawHost = spec.substr(1, close - 1);
        const std::string_view after = spec.substr(close + 1);
        if (!after.empty() && !after.starts_with(':'))
            return false;
        rawPort = after.empty() ? after : after.substr(1);
    } else if (const std::size_t colon = spec.find(':'); colon != std::string_view::npos) {
        rawHost = spec.substr(0, colon);
        rawPort = spec.substr(colon + 1);
    }
    if (!AllDigits(rawPort))
        return false;
    port = std::string(rawPort);
    return PercentDecode(rawHost, host);
}

// A connection option's value as libpq reads it: in quotes, with backslash
// escapes, so spaces and quotes in it stay part of it.
QString QuotedOption(const std::string& value)
{
    QString quoted = QString::fromStdString(value);
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The number to 15 significant digits, as spreadsheets show a double: a
// sum of REAL values (44799.100000000006) shows as the report's 44799.1.
// Trailing zeros go; no exponent unless the number is very large or small.
std::string PlainNumber(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0)
        return "0";
    char text[400];
    const double size = std::fabs(value);
    if (size >= 1e15 || size < 1e-6) {
        const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
        return std::string(text, result.ptr);
    }
    const int whole = static_cast<int>(std::floor(std::log10(size))) + 1;
    const auto result
        = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::max(0, 15 - whole));
    std::string number(text, result.ptr);
    if (number.find('.') != std::string::npos) {
        number.erase(number.find_last_not_of('0') + 1);
        if (number.back() == '.')
            number.pop_back();
    }
    return number;
}

std::string HexText(const QByteArray& bytes)
{
    return "\\x" + bytes.toHex().toStdString();
}

// The database's own words for what went wrong; a password it might repeat
// is not shown.
std::string Reason(const QSqlError& error, const std::string& password)
{
    // On one line: the server's text comes in lines and columns of its own.
    QString text = error.databaseText().simplified();
    if (text.isEmpty())
        text = error.driverText().simplified();
    if (!password.empty())
        text.replace(QString::fromStdString(password), QStringLiteral("***"));
    return text.toStdString();
}

// A CSV file written forward through a buffer into out; after a failed
// write later ones do nothing and out keeps the reason.
class CsvSpool {
public:
    explicit CsvSpool(OutputFile& out)
        : out_(out)
    {
        buffer_.reserve(kWriteChunk + 4096);
    }
    void Field(const std::string& text, bool first, bool alone)
    {
        if (!first)
            buffer_.push_back(',');
        AppendCsvField(buffer_, text, alone);
    }
    void EndRow()
    {
        buffer_ += "\r\n";
        if (buffer_.size() >= kWriteChunk)
            Flush();
    }
    bool Finish()
    {
        Flush();
        return out_.Error() == 0;
    }

private:
    void Flush()
    {
        if (out_.Error() == 0)
            out_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

    OutputFile& out_;
    std::string buffer_;
};

QString NewConnectionName()
{
    static std::atomic<unsigned> counter { 0 };
    return QStringLiteral("quillet-query-%1").arg(++counter);
}

// Opens the connection `name` to the database of url. False with message
// set when it does not open.
bool Connect(QSqlDatabase& db, const QString& name, const DatabaseUrl& url, std::string& message)
{
    const bool sqlite = url.kind == DatabaseUrl::Kind::Sqlite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        message = sqlite ? Tr("SqlData", "没有安装 SQLite 数据库驱动（软件包 libqt6sql6-sqlite）")
                         : Tr("SqlData", "没有安装 PostgreSQL 数据库驱动（软件包 libqt6sql6-psql）");
        return false;
    }
    if (sqlite) {
        // Read-only: a mistyped name must not leave an empty database behind.
        struct stat st { };
        if (::stat(url.path.c_str(), &st) != 0) {
            message = FillIn(errno == ENOENT || errno == ENOTDIR
                    ? Tr("SqlData", "数据库文件“%1”不存在")
                    : Tr("SqlData", "数据库文件“%1”打不开：没有读的权限"),
                { FileNameToUtf8(url.path) });
            return false;
        }
        if (S_ISDIR(st.st_mode)) {
            message = FillIn(Tr("SqlData", "“%1”是一个文件夹，不是数据库文件"), { FileNameToUtf8(url.path) });
            return false;
        }
    }
    db = QSqlDatabase::addDatabase(driver, name);
    if (sqlite) {
        db.setDatabaseName(FromLocalPath(url.path));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    } else {
        db.setHostName(QString::fromStdString(url.host));
        db.setUserName(QString::fromStdString(url.user));
        db.setPassword(QString::fromStdString(url.password));
        db.setDatabaseName(QString::fromStdString(url.database));
        QStringList options;
        bool timeout = false;
        if (!url.port.empty())
            options << QStringLiteral("port=") + QuotedOption(url.port);
        for (const auto& [key, value] : url.options) {
            timeout = timeout || key == "connect_timeout";
            options << QString::fromStdString(key) + QLatin1Char('=') + QuotedOption(value);
        }
        if (!timeout)
            options << QStringLiteral("connect_timeout=") + QString::fromLatin1(kConnectTimeout);
        db.setConnectOptions(options.join(QLatin1Char(';')));
    }
    if (!db.open()) {
        message = FillIn(Tr("SqlData", "连接数据库失败：%1"), { Reason(db.lastError(), url.password) });
        return false;
    }
    if (!sqlite) {
        // A report only reads; a query that would change data is refused by
        // the server. Where the session cannot be set so, the query still runs.
        QSqlQuery(db).exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
    }
    return true;
}

// Runs query on the open db and spools its rows into a CSV file it opens.
std::unique_ptr<CsvByteSource> Spool(
    QSqlDatabase& db, const std::string& query, const std::string& password, std::string& message)
{
    QSqlQuery result(db);
    result.setForwardOnly(true);
    // numeric and decimal keep the digits the database gives.
    result.setNumericalPrecisionPolicy(QSql::HighPrecision);
    // A query typed in a GBK terminal comes in GBK.
    if (!result.exec(QString::fromStdString(IsUtf8(query) ? query : GbkToUtf8(query)))) {
        message = FillIn(Tr("SqlData", "查询出错：%1"), { Reason(result.lastError(), password) });
        return nullptr;
    }
    const QSqlRecord record = result.record();
    const int columns = record.count();
    if (columns == 0) {
        message = Tr("SqlData", "查询没有结果：只有取出数据的查询（例如 SELECT）才能作为报表的数据");
        return nullptr;
    }
    std::vector<std::string> names;
    for (int c = 0; c < columns; ++c) {
        names.push_back(record.fieldName(c).toStdString());
        if (!GbkHolds(names.back())) {
            message = FillIn(Tr("SqlData", "查询结果的列名“%1”：有GBK不能表示的文字"), { names.back() });
            return nullptr;
        }
    }

    // In the temporary folder as a temporary of the program's own: a run
    // stopped by a signal removes it, one killed outright has it swept by a
    // later run.
    const QString tempPath = QDir::tempPath();
    const std::string folder = LocalPath(tempPath.isEmpty() ? qEnvironmentVariable("TMPDIR") : tempPath);
    const auto failure = [&folder](int number) {
        return FillIn(Tr("SqlData", "查询结果无法写入临时文件夹“%1”：%2"),
            { FileNameToUtf8(folder), FileFailure(number).toStdString() });
    };
    OutputFile file;
    if (tempPath.isEmpty() || !file.OpenInFolder(folder)) {
        // An empty temporary path: the folder TMPDIR names is not there.
        message = failure(tempPath.isEmpty() ? ENOENT : file.Error());
        return nullptr;
    }
    ::fchmod(file.Descriptor(), 0600); // the rows are for this user's eyes only
    CsvSpool spool(file);
    for (int c = 0; c < columns; ++c)
        spool.Field(names[static_cast<std::size_t>(c)], c == 0, columns == 1);
    spool.EndRow();
    std::uint64_t row = 0;
    while (result.next()) {
        ++row;
        for (int c = 0; c < columns; ++c) {
            const std::string text = ReportText(result.value(c));
            if (!IsAscii(text) && !GbkHolds(text)) {
                message = FillIn(Tr("SqlData", "查询结果第%1行“%2”列：有GBK不能表示的文字"),
                    { std::to_string(row), names[static_cast<std::size_t>(c)] });
                return nullptr;
            }
            spool.Field(text, c == 0, columns == 1);
        }
        spool.EndRow();
        if (file.Error() != 0)
            break; // a full disk: the rest of the rows would go nowhere
    }
    if (result.lastError().isValid()) {
        message = FillIn(Tr("SqlData", "查询出错：%1"), { Reason(result.lastError(), password) });
        return nullptr;
    }
    if (!spool.Finish()) {
        message = failure(file.Error());
        return nullptr;
    }
    // The source keeps the file open; its name goes at once.
    std::unique_ptr<CsvByteSource> source
        = CsvByteSource::Open(file.TemporaryPath(), CsvEncoding::Utf8, message);
    file.Discard();
    if (!source)
        message = FillIn(Tr("SqlData", "读查询结果时出错：%1"), { message });
    return source;
}

} // namespace

std::optional<DatabaseUrl> ParseDatabaseUrl(const std::string& url, std::string& message)
{
    const std::string lower = AsciiLower(std::string_view(url).substr(0, 16));
    DatabaseUrl parsed;
    if (lower.starts_with("sqlite:")) {
        parsed.path = url.substr(7);
        if (parsed.path.starts_with("//"))
            parsed.path.erase(0, 2); // sqlite:///folder/file as a file address
        if (parsed.path.empty()) {
            message = BadUrl(url, QUILLET_TEXT("SqlData", "数据库地址“%1”没有数据库文件名：%2"));
            return std::nullopt;
        }
        return parsed;
    }
    std::size_t start = 0;
    if (lower.starts_with("postgresql://"))
        start = 13;
    else if (lower.starts_with("postgres://"))
        start = 11;
    if (start == 0) {
        message = BadUrl(url, QUILLET_TEXT("SqlData", "数据库地址“%1”不认识：%2"));
        return std::nullopt;
    }
    parsed.kind = DatabaseUrl::Kind::Postgres;
    std::string_view rest = std::string_view(url).substr(start);
    const std::size_t question = rest.find('?');
    const std::string_view parameters
        = question == std::string_view::npos ? std::string_view() : rest.substr(question + 1);
    rest = rest.substr(0, question);
    const std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    const bool bad = [&] {
        if (slash != std::string_view::npos && !PercentDecode(rest.substr(slash + 1), parsed.database))
            return true;
        if (const std::size_t at = authority.find('@'); at != std::string_view::npos) {
            const std::string_view user = authority.substr(0, at);
            const std::size_t colon = user.find(':');
            if (!PercentDecode(user.substr(0, colon), parsed.user))
                return true;
            if (colon != std::string_view::npos && !PercentDecode(user.substr(colon + 1), parsed.password))
                return true;
            authority = authority.substr(at + 1);
        }
        // A list of hosts, each with its own port, as libpq takes it.
        std::string hosts, ports;
        bool anyPort = false;
        for (std::size_t from = 0; !authority.empty();) {
            const std::size_t comma = authority.find(',', from);
            std::string host, port;
            if (!ReadHost(authority.substr(from, comma - from), host, port))
                return true;
            if (from > 0) {
                hosts += ',';
                ports += ',';
            }
            hosts += host;
            ports += port;
            anyPort = anyPort || !port.empty();
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
        parsed.host = hosts;
        parsed.port = anyPort ? ports : std::string();
        return false;
    }();
    if (bad) {
        message = BadUrl(url,
            QUILLET_TEXT("SqlData",
                "数据库地址“%1”写得不对：用户、密码、主机、端口或数据库名中有不对的字符（特殊字符请写成 "
                "%XX）"));
        return std::nullopt;
    }
    for (std::size_t from = 0; from < parameters.size();) {
        std::size_t end = parameters.find('&', from);
        if (end == std::string_view::npos)
            end = parameters.size();
        const std::string_view pair = parameters.substr(from, end - from);
        from = end + 1;
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        std::string key, value;
        if (equals == std::string_view::npos || !PercentDecode(pair.substr(0, equals), key)
            || !PercentDecode(pair.substr(equals + 1), value) || key.empty()) {
            message = FillIn(Tr("SqlData", "数据库地址“%1”的参数“%2”应写成 名字=值"),
                { WithoutPassword(url), pair.substr(0, equals) });
            return std::nullopt;
        }
        if (key == "host")
            parsed.host = value;
        else if (key == "port")
            parsed.port = value;
        else if (key == "user")
            parsed.user = value;
        else if (key == "password")
            parsed.password = value;
        else if (key == "dbname")
            parsed.database = value;
        else if (key == "ssl" && value == "true")
            parsed.options.emplace_back("sslmode", "require");
        else
            parsed.options.emplace_back(key, value);
    }
    return parsed;
}

std::string ReportText(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "是" : "否"; // the report's own words, in every language
    case QMetaType::Double:
        return PlainNumber(value.toDouble());
    case QMetaType::Float: {
        // The float's own shortest digits, not those of the double it widens to.
        char text[64];
        const float number = value.toFloat();
        if (!std::isfinite(number) || number == 0 || std::fabs(number) >= 1e15F || std::fabs(number) < 1e-6F)
            return PlainNumber(number);
        const auto result = std::to_chars(text, text + sizeof text, number, std::chars_format::fixed);
        return std::string(text, result.ptr);
    }
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss")).toStdString();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        const std::string text = bytes.toStdString();
        return IsUtf8(text) && !bytes.contains('\0') ? text : HexText(bytes);
    }
    default:
        return value.toString().toStdString();
    }
}

std::unique_ptr<CsvByteSource> OpenQuery(
    const std::string& url, const std::string& query, std::string& message)
{
    const std::optional<DatabaseUrl> parsed = ParseDatabaseUrl(url, message);
    if (!parsed)
        return nullptr;
    const QString name = NewConnectionName();
    std::unique_ptr<CsvByteSource> source;
    {
        QSqlDatabase db;
        if (Connect(db, name, *parsed, message))
            source = Spool(db, query, parsed->password, message);
        db.close();
    }
    // Only once no handle to the connection is left.
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
    return source;
}

} // namespace quillet

// The layout as JSON. Qt's JSON classes parse and write the text; a light
// scan of the text finds where a faulty field stands, since the parsed
// document no longer knows its lines.
#include "sources/LayoutJson.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/GbkCodec.h"
#include "platform/Texts.h"

namespace quillet {
namespace {

// A text larger than this is no layout (500 full columns take about 150 KB).
constexpr std::size_t kMaxJsonBytes = 16 * 1024 * 1024;

const char* const kAlignNames[] = { nullptr, "left", "centre", "right" };
const char* const kHorNames[] = { "paperEdge", "left", "centre", "right" };
const char* const kVerNames[] = { "paperEdge", "top", "centre", "bottom" };
const char* const kRuleNames[] = { "none", "single", "double", "thick", "dashed", "dashDot" };

QString Key(const char* key) { return QString::fromLatin1(key); }

void Put(QJsonObject& o, const char* key, const QJsonValue& value) { o.insert(Key(key), value); }

QString Utf8Of(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

QString ColourText(std::uint32_t colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return QString::fromLatin1(text);
}

void PutItem(QJsonObject& o, const TMyTextItem& item)
{
    if (!item.Text.Empty())
        Put(o, "text", Utf8Of(item.Text.View()));
    if (!item.FontName.Empty())
        Put(o, "font", Utf8Of(item.FontName.View()));
    if (item.FontSize != 0)
        Put(o, "fontSize", item.FontSize);
    if ((item.FontColor & 0xFFFFFF) != 0)
        Put(o, "colour", ColourText(item.FontColor));
    // Alignments other than 1..3 all draw as an unset one.
    if (item.Align >= 1 && item.Align <= 3)
        Put(o, "align", Key(kAlignNames[item.Align]));
    if (item.Wrap == 1)
        Put(o, "wrap", true);
}

QJsonObject ItemObject(const TMyTextItem& item)
{
    QJsonObject o;
    PutItem(o, item);
    return o;
}

// Styles past the last draw nothing, as "none" does.
std::uint8_t RuleStyle(const TMyLineSpec& line) { return line.Style < std::size(kRuleNames) ? line.Style : 0; }

bool RuleIsDefault(const TMyLineSpec& line) { return RuleStyle(line) == 0 && (line.Color & 0xFFFFFF) == 0; }

QJsonObject RuleObject(const TMyLineSpec& line)
{
    QJsonObject o;
    Put(o, "style", Key(kRuleNames[RuleStyle(line)]));
    if ((line.Color & 0xFFFFFF) != 0)
        Put(o, "colour", ColourText(line.Color));
    return o;
}

QJsonObject HeadFootObject(bool multiLine, const std::array<TMyTextItem, kHeadFootLines + 1>& lines)
{
    QJsonObject o;
    Put(o, "multiLine", multiLine);
    int last = kHeadFootLines;
    while (last > 0 && ItemObject(lines[last]).isEmpty())
        --last;
    QJsonArray array;
    for (int i = 1; i <= last; ++i)
        array.append(ItemObject(lines[i]));
    if (!array.isEmpty())
        Put(o, "lines", array);
    return o;
}

// One step of a field path: a key, or an index into an array (from 0).
struct Step {
    QString key;
    int index = -1;
};

struct Fault {
    std::vector<Step> path;
    std::string reason;
    bool atKey = false; // the fault is the key itself, not its value
};

std::string PathText(const std::vector<Step>& path)
{
    std::string text;
    for (const Step& step : path) {
        if (step.index >= 0) {
            text += '[' + std::to_string(step.index + 1) + ']';
        } else {
            if (!text.empty())
                text += '.';
            text += step.key.toStdString();
        }
    }
    return text;
}

std::string NumberText(double value)
{
    return QString::number(value, 'g', 17).toStdString();
}

// Takes the fields of the parsed text into a record, keeping the path of
// the field being read for a fault's message.
class FieldReader {
public:
    [[noreturn]] void Fail(std::string reason, bool atKey = false) { throw Fault { path_, std::move(reason), atKey }; }

    class Enter {
    public:
        Enter(FieldReader& r, Step step)
            : r_(r)
        {
            r_.path_.push_back(std::move(step));
        }
        ~Enter() { r_.path_.pop_back(); }
        Enter(const Enter&) = delete;
        Enter& operator=(const Enter&) = delete;

    private:
        FieldReader& r_;
    };

    QJsonObject Object(const QJsonValue& value, std::initializer_list<const char*> keys)
    {
        if (!value.isObject())
            Fail(Tr("LayoutJson", "应为对象 {…}"));
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool known = false;
            for (const char* key : keys)
                known = known || it.key() == QLatin1String(key);
            if (!known) {
                Enter step(*this, { it.key() });
                Fail(FillIn(Tr("LayoutJson", "不认识的字段“%1”"), { it.key().toStdString() }), true);
            }
        }
        return o;
    }

    // tooMany: the complaint about a longer array, %1 its length and %2 most.
    QJsonArray Array(const QJsonValue& value, int most, const char* tooMany)
    {
        if (!value.isArray())
            Fail(Tr("LayoutJson", "应为数组 […]"));
        const QJsonArray a = value.toArray();
        if (a.size() > most)
            Fail(FillIn(Tr("LayoutJson", tooMany), { std::to_string(a.size()), std::to_string(most) }));
        return a;
    }

    long long Integer(const QJsonObject& o, const char* key, long long lo, long long hi, long long fallback)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return fallback;
        Enter step(*this, { Key(key) });
        if (!value.isDouble() || value.toDouble() != std::floor(value.toDouble()))
            Fail(Tr("LayoutJson", "应为整数"));
        const double number = value.toDouble();
        if (number < static_cast<double>(lo) || number > static_cast<double>(hi))
            Fail(FillIn(Tr("LayoutJson", "%1超出范围%2..%3"),
                { NumberText(number), std::to_string(lo), std::to_string(hi) }));
        return static_cast<long long>(number);
    }

    std::uint8_t Flag(const QJsonObject& o, const char* key)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return 0;
        Enter step(*this, { Key(key) });
        if (!value.isBool())
            Fail(Tr("LayoutJson", "应为 true 或 false"));
        return value.toBool() ? 1 : 0;
    }

    // One of names (nullptr entries are no name); the value's index.
    template <std::size_t N>
    std::uint8_t Choice(const QJsonObject& o, const char* key, const char* const (&names)[N], std::uint8_t fallback)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return fallback;
        Enter step(*this, { Key(key) });
        std::string list;
        for (std::size_t i = 0; i < N; ++i) {
            if (!names[i])
                continue;
            if (value.isString() && value.toString() == QLatin1String(names[i]))
                return static_cast<std::uint8_t>(i);
            list += (list.empty() ? std::string() : Tr("LayoutJson", "、")) + std::string(names[i]);
        }
        Fail(FillIn(Tr("LayoutJson", "应为 %1 之一"), { list }));
    }

    template <std::size_t N> void Text(const QJsonObject& o, const char* key, ShortString<N>& out)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return;
        Enter step(*this, { Key(key) });
        if (!value.isString())
            Fail(Tr("LayoutJson", "应为文字 \"…\""));
        const std::string utf8 = value.toString().toStdString();
        if (!GbkHolds(utf8))
            Fail(Tr("LayoutJson", "文字中有 GBK 不能表示的字符"));
        const std::string gbk = Utf8ToGbk(utf8);
        if (gbk.size() > N)
            Fail(FillIn(Tr("LayoutJson", "文字有%1字节（GBK），最多%2字节"),
                { std::to_string(gbk.size()), std::to_string(N) }));
        out.SetText(gbk);
    }

    std::uint32_t Colour(const QJsonObject& o, const char* key)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return 0;
        Enter step(*this, { Key(key) });
        const QString text = value.toString();
        bool ok = value.isString() && text.size() == 7 && text[0] == QLatin1Char('#');
        std::uint32_t rgb = 0;
        for (int i = 1; ok && i < 7; ++i) {
            const int digit = QStringView(text).mid(i, 1).toInt(&ok, 16);
            rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
        }
        if (!ok)
            Fail(Tr("LayoutJson", "颜色应写作 #rrggbb（六位十六进制）"));
        // #rrggbb to the stored 0x00BBGGRR.
        return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    }

    void Item(const QJsonObject& o, TMyTextItem& item)
    {
        Text(o, "text", item.Text);
        Text(o, "font", item.FontName);
        item.FontSize = static_cast<std::uint16_t>(Integer(o, "fontSize", 0, 65535, 0));
        item.FontColor = Colour(o, "colour");
        item.Align = Choice(o, "align", kAlignNames, 0);
        item.Wrap = Flag(o, "wrap");
    }

    void Rule(const QJsonObject& o, const char* key, TMyLineSpec& line)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return;
        Enter step(*this, { Key(key) });
        const QJsonObject r = Object(value, { "style", "colour" });
        line.Style = Choice(r, "style", kRuleNames, 0);
        line.Color = Colour(r, "colour");
    }

    void TextWithRule(const QJsonObject& o, const char* key, TMyTextItem& item, TMyLineSpec& line)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return;
        Enter step(*this, { Key(key) });
        const QJsonObject t
            = Object(value, { "text", "font", "fontSize", "colour", "align", "wrap", "rule" });
        Item(t, item);
        Rule(t, "rule", line);
    }

    void HeadFoot(const QJsonObject& o, const char* key, std::uint8_t& multiLine,
        std::array<TMyTextItem, kHeadFootLines + 1>& lines)
    {
        const QJsonValue value = o.value(Key(key));
        if (value.isUndefined())
            return;
        Enter step(*this, { Key(key) });
        const QJsonObject h = Object(value, { "multiLine", "lines" });
        multiLine = Flag(h, "multiLine");
        if (!h.contains(Key("lines")))
            return;
        Enter linesStep(*this, { Key("lines") });
        const QJsonArray a
            = Array(h.value(Key("lines")), kHeadFootLines, QUILLET_TEXT("LayoutJson", "共%1行，最多%2行"));
        for (int i = 0; i < a.size(); ++i) {
            Enter at(*this, { QString(), i });
            Item(Object(a.at(i), { "text", "font", "fontSize", "colour", "align", "wrap" }), lines[i + 1]);
        }
    }

    void Record(const QJsonObject& root, TMyFormatRecord& r);

private:
    std::vector<Step> path_;
};

void FieldReader::Record(const QJsonObject& root, TMyFormatRecord& r)
{
    const QJsonObject o = Object(root,
        { "$schema", "interfaceStyle", "paper", "margins", "placement", "print", "tableGap", "company", "title",
            "pageHead", "pageFoot", "headRows", "footRows", "frame", "columns", "rows", "mergedCells" });
    if (o.contains(Key("$schema"))) {
        Enter step(*this, { Key("$schema") });
        if (!o.value(Key("$schema")).isString())
            Fail(Tr("LayoutJson", "应为文字 \"…\""));
    }
    {
        const char* const styles[] = { "standard", "xp" };
        r.InterfaceStyle = Choice(o, "interfaceStyle", styles, 0);
    }
    // Paper left out is A4 portrait, as a layout saved on A4 holds it (a new
    // record has no paper size until the printer gives it one).
    r.PaperWidth = 210;
    r.PaperLength = 290;
    r.Orientation = 1;
    if (o.contains(Key("paper"))) {
        Enter step(*this, { Key("paper") });
        const QJsonObject p = Object(o.value(Key("paper")), { "size", "width", "length", "orientation" });
        r.PaperSize = static_cast<std::int16_t>(Integer(p, "size", -32768, 32767, r.PaperSize));
        r.PaperWidth = static_cast<std::uint16_t>(Integer(p, "width", 0, 65535, r.PaperWidth));
        r.PaperLength = static_cast<std::uint16_t>(Integer(p, "length", 0, 65535, r.PaperLength));
        const char* const orientations[] = { "unset", "portrait", "landscape" };
        r.Orientation = Choice(p, "orientation", orientations, r.Orientation);
    }
    if (o.contains(Key("margins"))) {
        Enter step(*this, { Key("margins") });
        const QJsonObject m = Object(o.value(Key("margins")), { "top", "bottom", "left", "right" });
        r.MarginTop = static_cast<std::uint16_t>(Integer(m, "top", 0, 65535, r.MarginTop));
        r.MarginBottom = static_cast<std::uint16_t>(Integer(m, "bottom", 0, 65535, r.MarginBottom));
        r.MarginLeft = static_cast<std::uint16_t>(Integer(m, "left", 0, 65535, r.MarginLeft));
        r.MarginRight = static_cast<std::uint16_t>(Integer(m, "right", 0, 65535, r.MarginRight));
    }
    if (o.contains(Key("placement"))) {
        Enter step(*this, { Key("placement") });
        const QJsonObject p = Object(o.value(Key("placement")), { "horizontal", "vertical" });
        r.HorPlace = Choice(p, "horizontal", kHorNames, r.HorPlace);
        r.VerPlace = Choice(p, "vertical", kVerNames, r.VerPlace);
    }
    if (o.contains(Key("print"))) {
        Enter step(*this, { Key("print") });
        const QJsonObject p = Object(o.value(Key("print")),
            { "company", "title", "pageHead", "pageFoot", "pageNumber", "multipleTables", "tableGapRule",
                "negativeRed", "keepEmptyGrid" });
        r.PrintCompany = Flag(p, "company");
        r.PrintTitle = Flag(p, "title");
        r.PrintPageHead = Flag(p, "pageHead");
        r.PrintPageFoot = Flag(p, "pageFoot");
        r.PrintPageNumber = Flag(p, "pageNumber");
        r.MultiTables = Flag(p, "multipleTables");
        r.TableGapLine = Flag(p, "tableGapRule");
        r.NegativeRed = Flag(p, "negativeRed");
        r.KeepEmptyGrid = Flag(p, "keepEmptyGrid");
    }
    r.TableGap = static_cast<std::uint16_t>(Integer(o, "tableGap", 0, 65535, r.TableGap));
    TextWithRule(o, "company", r.Company, r.CompanyLine);
    TextWithRule(o, "title", r.Title, r.TitleLine);
    HeadFoot(o, "pageHead", r.HeadMultiLine, r.Head);
    HeadFoot(o, "pageFoot", r.FootMultiLine, r.Foot);
    r.HeadRowCount = static_cast<std::uint16_t>(Integer(o, "headRows", 0, kMaxRows, r.HeadRowCount));
    r.FootRowCount = static_cast<std::uint16_t>(Integer(o, "footRows", 0, kMaxRows, r.FootRowCount));
    Rule(o, "frame", r.FrameLine);

    if (o.contains(Key("columns"))) {
        Enter step(*this, { Key("columns") });
        const QJsonArray a
            = Array(o.value(Key("columns")), kMaxCols, QUILLET_TEXT("LayoutJson", "共%1列，最多%2列"));
        r.ColCount = static_cast<std::uint16_t>(a.size());
        for (int i = 0; i < a.size(); ++i) {
            Enter at(*this, { QString(), i });
            const int col = i + 1;
            const QJsonObject c = Object(a.at(i),
                { "width", "decimals", "text", "font", "fontSize", "colour", "align", "wrap", "ruleAfter" });
            r.ColWidth[col] = static_cast<std::uint8_t>(Integer(c, "width", 0, 255, 0));
            const QJsonValue decimals = c.value(Key("decimals"));
            if (decimals.isString()) {
                Enter d(*this, { Key("decimals") });
                if (decimals.toString() != QLatin1String("text"))
                    Fail(Tr("LayoutJson", "应为 0..254 的整数或 \"text\"（文字列）"));
                r.ColDecimals[col] = kTextColumn;
            } else {
                r.ColDecimals[col] = static_cast<std::uint8_t>(Integer(c, "decimals", 0, 254, 0));
            }
            Item(c, r.ColItem[col]);
            if (c.contains(Key("ruleAfter")) && col == kMaxCols) {
                Enter rule(*this, { Key("ruleAfter") });
                Fail(Tr("LayoutJson", "第500列之后没有列线"), true);
            }
            if (col < kMaxCols)
                Rule(c, "ruleAfter", r.ColLine[col]);
        }
    }
    if (o.contains(Key("rows"))) {
        Enter step(*this, { Key("rows") });
        const QJsonArray a
            = Array(o.value(Key("rows")), kMaxRows, QUILLET_TEXT("LayoutJson", "共%1行，最多%2行"));
        r.RowCount = static_cast<std::uint16_t>(a.size());
        for (int i = 0; i < a.size(); ++i) {
            Enter at(*this, { QString(), i });
            const int row = i + 1;
            const QJsonObject c = Object(a.at(i), { "height", "ruleAfter" });
            r.RowHeight[row] = static_cast<std::uint8_t>(Integer(c, "height", 0, 255, 0));
            if (c.contains(Key("ruleAfter")) && row == kMaxRows) {
                Enter rule(*this, { Key("ruleAfter") });
                Fail(Tr("LayoutJson", "第500行之后没有行线"), true);
            }
            if (row < kMaxRows)
                Rule(c, "ruleAfter", r.RowLine[row]);
        }
    }
    if (o.contains(Key("mergedCells"))) {
        Enter step(*this, { Key("mergedCells") });
        const QJsonArray a = Array(o.value(Key("mergedCells")), kMaxMergedCells,
            QUILLET_TEXT("LayoutJson", "共%1个合并单元格，最多%2个合并单元格"));
        for (int i = 0; i < a.size(); ++i) {
            Enter at(*this, { QString(), i });
            TMyMergedCell& m = r.MergedCells[i + 1];
            const QJsonObject c = Object(a.at(i),
                { "left", "top", "right", "bottom", "kind", "text", "font", "fontSize", "colour", "align", "wrap" });
            m.Left = static_cast<std::int32_t>(Integer(c, "left", INT32_MIN, INT32_MAX, 0));
            m.Top = static_cast<std::int32_t>(Integer(c, "top", INT32_MIN, INT32_MAX, 0));
            m.Right = static_cast<std::int32_t>(Integer(c, "right", INT32_MIN, INT32_MAX, 0));
            m.Bottom = static_cast<std::int32_t>(Integer(c, "bottom", INT32_MIN, INT32_MAX, 0));
            // A merged cell shows its text unless it says otherwise.
            const char* const kinds[] = { "blank", nullptr, "subtotal", "total", "text" };
            const std::uint8_t kind = Choice(c, "kind", kinds, 4);
            m.Kind = kind == 4 ? kMergedText : kind;
            Item(c, m.Item);
        }
    }
}

// Finds where a field stands in a text Qt has parsed: the offset of its
// value, or of its key. Walks only as far as the path leads.
class Locator {
public:
    explicit Locator(std::string_view text)
        : s_(text)
    {
    }

    std::size_t Find(const std::vector<Step>& path, bool atKey)
    {
        i_ = 0;
        Space();
        std::size_t found = i_;
        for (std::size_t k = 0; k < path.size(); ++k) {
            const Step& step = path[k];
            Space();
            if (step.index >= 0) {
                if (At() != '[')
                    return found;
                ++i_;
                for (int index = 0;; ++index) {
                    Space();
                    if (At() == ']' || At() == 0)
                        return found;
                    if (index == step.index)
                        break;
                    Skip();
                    Space();
                    if (At() != ',')
                        return found;
                    ++i_;
                }
                found = i_;
            } else {
                if (At() != '{')
                    return found;
                ++i_;
                // The last of equal keys is the one the parsed object holds.
                std::size_t keyAt = 0, valueAt = 0;
                bool matched = false;
                for (;;) {
                    Space();
                    if (At() != '"')
                        break;
                    const std::size_t here = i_;
                    const QString key = String();
                    Space();
                    if (At() == ':')
                        ++i_;
                    Space();
                    if (key == step.key) {
                        matched = true;
                        keyAt = here;
                        valueAt = i_;
                    }
                    Skip();
                    Space();
                    if (At() != ',')
                        break;
                    ++i_;
                }
                if (!matched)
                    return found;
                found = atKey && k + 1 == path.size() ? keyAt : valueAt;
                i_ = valueAt;
            }
        }
        return found;
    }

private:
    char At() const { return i_ < s_.size() ? s_[i_] : 0; }
    void Space()
    {
        while (At() == ' ' || At() == '\t' || At() == '\n' || At() == '\r')
            ++i_;
    }
    QString String()
    {
        const std::size_t start = i_;
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"')
            i_ += s_[i_] == '\\' ? 2 : 1;
        ++i_;
        const std::string_view raw = s_.substr(start, std::min(i_, s_.size()) - start);
        if (raw.find('\\') == std::string_view::npos)
            return QString::fromUtf8(raw.substr(1, raw.size() >= 2 ? raw.size() - 2 : 0));
        const QByteArray wrapped = QByteArray("[") + QByteArray(raw.data(), static_cast<qsizetype>(raw.size())) + "]";
        return QJsonDocument::fromJson(wrapped).array().at(0).toString();
    }
    void Skip()
    {
        Space();
        const char c = At();
        if (c == '"') {
            String();
        } else if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++i_;
            for (;;) {
                Space();
                if (At() == close) {
                    ++i_;
                    return;
                }
                if (At() == 0)
                    return;
                Skip();
                Space();
                if (At() == ':') {
                    ++i_;
                    Skip();
                    Space();
                }
                if (At() == ',')
                    ++i_;
            }
        } else {
            while (At() != 0 && !std::strchr(",]} \t\r\n", At()))
                ++i_;
        }
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

void LineAndColumn(std::string_view text, std::size_t offset, LayoutJsonError& error)
{
    offset = std::min(offset, text.size());
    error.line = 1;
    error.column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++error.line;
            error.column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++error.column;
        }
    }
}

// The offset of the first byte that breaks UTF-8, or npos.
std::size_t FirstBadUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > text.size() || !IsUtf8(text.substr(i, n)))
            return i;
        i += n;
    }
    return std::string_view::npos;
}

std::string ParseReason(QJsonParseError::ParseError kind)
{
    switch (kind) {
    case QJsonParseError::UnterminatedObject:
        return Tr("LayoutJson", "对象没有结束（缺少“}”或“,”）");
    case QJsonParseError::MissingNameSeparator:
        return Tr("LayoutJson", "字段名后缺少“:”");
    case QJsonParseError::UnterminatedArray:
        return Tr("LayoutJson", "数组没有结束（缺少“]”或“,”）");
    case QJsonParseError::MissingValueSeparator:
        return Tr("LayoutJson", "缺少“,”");
    case QJsonParseError::IllegalValue:
        return Tr("LayoutJson", "不是正确的值");
    case QJsonParseError::TerminationByNumber:
        return Tr("LayoutJson", "数字后文字意外结束");
    case QJsonParseError::IllegalNumber:
        return Tr("LayoutJson", "不是正确的数字");
    case QJsonParseError::IllegalEscapeSequence:
        return Tr("LayoutJson", "不正确的转义符");
    case QJsonParseError::UnterminatedString:
        return Tr("LayoutJson", "文字没有结束（缺少“\"”）");
    case QJsonParseError::MissingObject:
        return Tr("LayoutJson", "应为对象 {…}");
    case QJsonParseError::DeepNesting:
        return Tr("LayoutJson", "嵌套太深");
    case QJsonParseError::GarbageAtEnd:
        return Tr("LayoutJson", "JSON 结束后还有多余的内容");
    default:
        return Tr("LayoutJson", "不是正确的 JSON");
    }
}

// The written text keeps the layout's order (paper before columns, width
// before font), and each column, row and merged cell on a line of its own,
// so that two layouts compare line by line. Keys not listed follow in the
// alphabet's order.
const char* const kKeyOrder[] = { "$schema", "interfaceStyle", "paper", "margins", "placement", "print", "tableGap",
    "company", "title", "pageHead", "pageFoot", "pageNumber", "multipleTables", "tableGapRule", "negativeRed",
    "keepEmptyGrid", "headRows", "footRows", "frame", "columns", "rows", "mergedCells", "size", "width", "length",
    "orientation", "height", "decimals", "horizontal", "vertical", "left", "top", "right", "bottom", "kind",
    "multiLine", "lines", "text", "font", "fontSize", "colour", "align", "wrap", "style", "rule", "ruleAfter" };

std::size_t KeyRank(const QString& key)
{
    for (std::size_t i = 0; i < std::size(kKeyOrder); ++i)
        if (key == QLatin1String(kKeyOrder[i]))
            return i;
    return std::size(kKeyOrder);
}

QByteArray EncodedString(const QString& text)
{
    // Qt's own escaping: the array's brackets taken off.
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

bool IsContainer(const QJsonValue& value) { return value.isObject() || value.isArray(); }

void WriteValue(QByteArray& out, const QJsonValue& value, int indent, bool oneLine)
{
    if (value.isString()) {
        out += EncodedString(value.toString());
    } else if (value.isBool()) {
        out += value.toBool() ? "true" : "false";
    } else if (value.isDouble()) {
        out += QByteArray::number(static_cast<qint64>(value.toDouble()));
    } else if (value.isObject()) {
        const QJsonObject o = value.toObject();
        QStringList keys = o.keys();
        std::stable_sort(keys.begin(), keys.end(),
            [](const QString& a, const QString& b) { return KeyRank(a) < KeyRank(b); });
        if (keys.isEmpty()) {
            out += "{}";
            return;
        }
        bool nested = false;
        for (const QString& key : keys)
            nested = nested || IsContainer(o.value(key));
        // A short object of plain values reads best on one line.
        const bool inLine = oneLine || (!nested && keys.size() <= 4);
        const QByteArray inner(inLine ? 0 : indent + 4, ' ');
        out += inLine ? "{ " : "{\n";
        for (qsizetype i = 0; i < keys.size(); ++i) {
            out += inner + EncodedString(keys[i]) + ": ";
            WriteValue(out, o.value(keys[i]), indent + 4, inLine);
            if (i + 1 < keys.size())
                out += inLine ? ", " : ",\n";
        }
        out += inLine ? QByteArray(" }") : "\n" + QByteArray(indent, ' ') + "}";
    } else if (value.isArray()) {
        const QJsonArray a = value.toArray();
        if (a.isEmpty()) {
            out += "[]";
            return;
        }
        // The entries of a list each on one line.
        out += oneLine ? "[ " : "[\n";
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (!oneLine)
                out += QByteArray(indent + 4, ' ');
            WriteValue(out, a.at(i), indent + 4, true);
            if (i + 1 < a.size())
                out += oneLine ? ", " : ",\n";
        }
        out += oneLine ? QByteArray(" ]") : "\n" + QByteArray(indent, ' ') + "]";
    } else {
        out += "null";
    }
}

} // namespace

std::string LayoutToJson(const TMyFormatRecord& r)
{
    QJsonObject o;
    Put(o, "interfaceStyle", Key(r.InterfaceStyle == 1 ? "xp" : "standard"));
    {
        QJsonObject p;
        Put(p, "size", r.PaperSize);
        Put(p, "width", r.PaperWidth);
        Put(p, "length", r.PaperLength);
        // Orientations other than 1 and 2 all print as an unset one.
        Put(p, "orientation", Key(r.Orientation == 1 ? "portrait" : r.Orientation == 2 ? "landscape" : "unset"));
        Put(o, "paper", p);
    }
    {
        QJsonObject m;
        Put(m, "top", r.MarginTop);
        Put(m, "bottom", r.MarginBottom);
        Put(m, "left", r.MarginLeft);
        Put(m, "right", r.MarginRight);
        Put(o, "margins", m);
    }
    {
        // A placement other than 1..3 puts the table at the paper's edge.
        QJsonObject p;
        Put(p, "horizontal", Key(kHorNames[r.HorPlace <= 3 ? r.HorPlace : 0]));
        Put(p, "vertical", Key(kVerNames[r.VerPlace <= 3 ? r.VerPlace : 0]));
        Put(o, "placement", p);
    }
    {
        QJsonObject p;
        Put(p, "company", IsOn(r.PrintCompany));
        Put(p, "title", IsOn(r.PrintTitle));
        Put(p, "pageHead", IsOn(r.PrintPageHead));
        Put(p, "pageFoot", IsOn(r.PrintPageFoot));
        Put(p, "pageNumber", IsOn(r.PrintPageNumber));
        Put(p, "multipleTables", IsOn(r.MultiTables));
        Put(p, "tableGapRule", IsOn(r.TableGapLine));
        Put(p, "negativeRed", IsOn(r.NegativeRed));
        Put(p, "keepEmptyGrid", IsOn(r.KeepEmptyGrid));
        Put(o, "print", p);
    }
    Put(o, "tableGap", r.TableGap);
    {
        QJsonObject company = ItemObject(r.Company);
        Put(company, "rule", RuleObject(r.CompanyLine));
        Put(o, "company", company);
        QJsonObject title = ItemObject(r.Title);
        Put(title, "rule", RuleObject(r.TitleLine));
        Put(o, "title", title);
    }
    Put(o, "pageHead", HeadFootObject(IsOn(r.HeadMultiLine), r.Head));
    Put(o, "pageFoot", HeadFootObject(IsOn(r.FootMultiLine), r.Foot));
    // Only the rows of the grid count, however many the file claims.
    Put(o, "headRows", std::min<int>(r.HeadRowCount, kMaxRows));
    Put(o, "footRows", std::min<int>(r.FootRowCount, kMaxRows));
    Put(o, "frame", RuleObject(r.FrameLine));

    QJsonArray columns;
    for (int col = 1; col <= r.Cols(); ++col) {
        QJsonObject c;
        Put(c, "width", r.ColWidth[col]);
        if (r.ColDecimals[col] == kTextColumn)
            Put(c, "decimals", Key("text"));
        else
            Put(c, "decimals", r.ColDecimals[col]);
        PutItem(c, r.ColItem[col]);
        if (col < kMaxCols && !RuleIsDefault(r.ColLine[col]))
            Put(c, "ruleAfter", RuleObject(r.ColLine[col]));
        columns.append(c);
    }
    Put(o, "columns", columns);
    QJsonArray rows;
    for (int row = 1; row <= r.Rows(); ++row) {
        QJsonObject c;
        Put(c, "height", r.RowHeight[row]);
        if (row < kMaxRows && !RuleIsDefault(r.RowLine[row]))
            Put(c, "ruleAfter", RuleObject(r.RowLine[row]));
        rows.append(c);
    }
    Put(o, "rows", rows);
    // Empty slots are never drawn; a slot of no known kind still blanks the
    // rules under it, and shows nothing ("blank").
    QJsonArray merged;
    for (int i = 1; i <= kMaxMergedCells; ++i) {
        const TMyMergedCell& m = r.MergedCells[i];
        if (m.Top == 0)
            continue;
        QJsonObject c;
        Put(c, "left", m.Left);
        Put(c, "top", m.Top);
        Put(c, "right", m.Right);
        Put(c, "bottom", m.Bottom);
        Put(c, "kind",
            Key(m.Kind == kMergedText           ? "text"
                    : m.Kind == kMergedSubtotal ? "subtotal"
                    : m.Kind == kMergedGrandTotal ? "total"
                                                : "blank"));
        PutItem(c, m.Item);
        merged.append(c);
    }
    Put(o, "mergedCells", merged);
    QByteArray text;
    WriteValue(text, o, 0, false);
    text += '\n';
    return text.toStdString();
}

bool LayoutFromJson(std::string_view text, TMyPrintFormat& format, LayoutJsonError& error)
{
    error = {};
    // A byte-order mark is no part of the text.
    std::size_t start = 0;
    if (text.starts_with("\xEF\xBB\xBF"))
        start = 3;
    if (const std::size_t bad = FirstBadUtf8(text); bad != std::string_view::npos) {
        LineAndColumn(text, bad, error);
        error.reason = Tr("LayoutJson", "不是 UTF-8 文字");
        return false;
    }
    const std::string_view body = text.substr(start);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(body.data(), static_cast<qsizetype>(body.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        LineAndColumn(text, start + static_cast<std::size_t>(std::max<int>(0, parseError.offset)), error);
        error.reason = ParseReason(parseError.error);
        return false;
    }
    if (!document.isObject()) {
        LineAndColumn(text, start, error);
        error.reason = Tr("LayoutJson", "应为对象 {…}");
        return false;
    }
    TMyPrintFormat record;
    FieldReader reader;
    try {
        reader.Record(document.object(), record);
    } catch (const Fault& fault) {
        LineAndColumn(text, start + Locator(body).Find(fault.path, fault.atKey), error);
        error.path = PathText(fault.path);
        error.reason = fault.reason;
        return false;
    }
    format = record;
    return true;
}

bool IsJsonLayoutPath(std::string_view path)
{
    if (path.size() < 5)
        return false;
    const std::string_view tail = path.substr(path.size() - 5);
    for (std::size_t i = 0; i < 5; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
        if (c != ".json"[i])
            return false;
    }
    return true;
}

std::string JsonLayoutMessage(const std::string& path, const LayoutJsonError& error)
{
    const std::string name = FileNameToUtf8(path), line = std::to_string(error.line),
                      column = std::to_string(error.column);
    if (error.path.empty())
        return FillIn(Tr("LayoutJson", "格式文件“%1”第%2行第%3列：%4"), { name, line, column, error.reason });
    return FillIn(Tr("LayoutJson", "格式文件“%1”第%2行第%3列，%4：%5"),
        { name, line, column, error.path, error.reason });
}

std::string LoadJsonLayout(const std::string& path, TMyPrintFormat& format)
{
    const std::string name = FileNameToUtf8(path);
    if (!FileExists(path))
        return FillIn(Tr("LayoutJson", "格式文件“%1”不存在!"), { name });
    // Non-blocking, so a pipe put in the file's place cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || static_cast<std::size_t>(info.st_size) > kMaxJsonBytes) {
        if (fd >= 0)
            ::close(fd);
        return FillIn(Tr("LayoutJson", "对格式文件“%1”读时发生错误!"), { name });
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || text.size() + static_cast<std::size_t>(n) > kMaxJsonBytes) {
            ::close(fd);
            if (n == 0)
                break;
            return FillIn(Tr("LayoutJson", "对格式文件“%1”读时发生错误!"), { name });
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    LayoutJsonError error;
    if (!LayoutFromJson(text, format, error))
        return JsonLayoutMessage(path, error);
    return {};
}

bool SaveJsonLayout(
    OutputFile& file, const std::string& path, const TMyFormatRecord& record, const std::vector<std::string>& inUse)
{
    if (!file.Open(path, inUse))
        return false;
    const std::string text = LayoutToJson(record);
    return file.Write(text.data(), text.size()) && file.Commit();
}

} // namespace quillet

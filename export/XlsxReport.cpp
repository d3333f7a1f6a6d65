#include "export/XlsxReport.h"

#include <xlsxwriter.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "engine/EngineError.h"
#include "export/ZipPackaging.h"
#include "model/PrnFunction.h"
#include "platform/CsvField.h"
#include "platform/GbkCodec.h"
#include "platform/NumberLocale.h"
#include "platform/Texts.h"

namespace quillet {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPixelsPerMm = 96.0 / 25.4; // Excel measures columns at 96 dpi
constexpr double kInchesPerMm = 1.0 / 25.4;
constexpr double kWiderColumns = 1.07; // columns as LibreOffice draws them, against Excel
constexpr double kLeastMargin = 5.0; // mm a printer still prints on at the sheet's sides
constexpr std::size_t kRowBuffer = 1 << 18; // bytes of a sheet's rows written at once

// A cell that is no number in a numeric column: the export stops there, as
// printing it does.
struct BadCell : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Cancelled { };

// A write of the output file failed; the file holds the reason.
struct WriteFailed { };

// A total as the report shows it, rounded to the column's decimals: the sum
// of binary fractions (1120.000000000077) would make a spreadsheet's checks
// against the printed 1,120.00 come out false.
// A number as the report shows it, without thousands separators and with
// a point for the decimals.
std::string PlainNumber(int decimals, double value)
{
    const std::string text = FormatNumber(static_cast<std::uint8_t>(decimals), value);
    const NumberLocale& locale = CurrentNumberLocale();
    std::string plain;
    for (char c : text) {
        if (c == locale.thousandsSeparator)
            continue;
        plain.push_back(c == locale.decimalSeparator ? '.' : c);
    }
    return plain;
}

double ShownValue(int decimals, double value)
{
    if (!std::isfinite(value))
        return value;
    const std::string plain = PlainNumber(decimals, value);
    double shown = value;
    const auto [end, failure] = std::from_chars(plain.data(), plain.data() + plain.size(), shown);
    return failure == std::errc() && end == plain.data() + plain.size() ? shown : value;
}

// A cell text as the spreadsheet shows it: the package spells a control
// character as _xHHHH_, so a text that already looks like that has its
// underscore spelt _x005F_ and reads back as written.
std::string CellText(std::string_view gbk)
{
    const std::string utf8 = GbkToUtf8(gbk);
    std::string out;
    out.reserve(utf8.size());
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '_' && i + 6 < utf8.size() && (utf8[i + 1] == 'x' || utf8[i + 1] == 'X')
            && hex(utf8[i + 2]) && hex(utf8[i + 3]) && hex(utf8[i + 4]) && hex(utf8[i + 5])
            && utf8[i + 6] == '_') {
            out += "_x005F_";
            continue;
        }
        out.push_back(utf8[i]);
    }
    return out;
}

// The title among the workbook's properties: XML has no way to carry a
// control character there, so those are left out.
std::string PropertyText(std::string_view gbk)
{
    std::string out = GbkToUtf8(gbk);
    std::erase_if(out, [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        return u < 0x20 && u != '\t' && u != '\n' && u != '\r';
    });
    return out;
}

// The spreadsheet library tells its failures in English on the error
// output; the program says them in its own words, so that output is held
// back while the library works.
class QuietErrorOutput {
public:
    QuietErrorOutput() { Hold(); }
    ~QuietErrorOutput() { Release(); }
    QuietErrorOutput(const QuietErrorOutput&) = delete;
    QuietErrorOutput& operator=(const QuietErrorOutput&) = delete;

    void Hold()
    {
        if (saved_ >= 0)
            return;
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0)
            return;
        saved_ = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
        if (saved_ >= 0)
            ::dup2(null, 2);
        ::close(null);
    }
    void Release()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }

private:
    int saved_ = -1;
};

// The papers a spreadsheet knows by number, in millimetres, for a sheet of
// a size of its own.
struct StandardPaper {
    std::uint8_t code;
    double width, length;
};
constexpr StandardPaper kStandardPapers[] = {
    { 11, 148, 210 }, // A5
    { 13, 176, 250 }, // B5
    { 7, 184.2, 266.7 }, // Executive
    { 1, 215.9, 279.4 }, // Letter
    { 9, 210, 297 }, // A4
    { 14, 215.9, 330.2 }, // Folio
    { 5, 215.9, 355.6 }, // Legal
    { 12, 250, 353 }, // B4
    { 8, 297, 420 }, // A3
    { 66, 420, 594 }, // A2
};

// The smallest of them that holds a sheet of width x length (either way
// round); the largest when none does.
const StandardPaper& PaperHolding(double width, double length)
{
    const double w = std::min(width, length), l = std::max(width, length);
    const StandardPaper* best = &kStandardPapers[std::size(kStandardPapers) - 1];
    for (const StandardPaper& p : kStandardPapers)
        if (p.width + 0.5 >= w && p.length + 0.5 >= l && p.width * p.length < best->width * best->length)
            best = &p;
    return *best;
}

// The file-size limit of the process, 0 for none.
std::uint64_t FileSizeLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return limit.rlim_cur;
}

// Why a write into folder came out short when the call that made it did not
// say: a file at the size limit, a disk with less room than the writing
// needed (its own files are gone by now), or an error of the device.
int ShortWriteReason(const std::string& folder, std::uint64_t size, std::uint64_t needed = 0)
{
    if (const std::uint64_t limit = FileSizeLimit(); limit > 0 && size >= limit)
        return EFBIG;
    struct statvfs disk { };
    if (::statvfs(folder.c_str(), &disk) == 0
        && static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize < std::max<std::uint64_t>(needed, 65536))
        return ENOSPC;
    return EIO;
}

std::uint64_t Little(const unsigned char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// The members of a finished package with their sizes unpacked, read from its
// central directory. False when the file does not end in a whole directory,
// as a cut file does not.
bool PackageMembers(const std::string& path, std::vector<std::pair<std::string, std::uint64_t>>& members)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::vector<unsigned char> buffer;
    auto readAt = [fd, &buffer](std::uint64_t offset, std::size_t size) {
        buffer.resize(size);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n
                = ::pread(fd, buffer.data() + done, size - done, static_cast<off_t>(offset + done));
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    };
    struct stat st { };
    bool whole = false;
    // The library writes no comment: the end record is the last 22 bytes.
    if (::fstat(fd, &st) == 0 && st.st_size >= 22 && readAt(static_cast<std::uint64_t>(st.st_size) - 22, 22)
        && Little(buffer.data(), 4) == 0x06054b50) {
        const std::uint64_t end = static_cast<std::uint64_t>(st.st_size) - 22;
        std::uint64_t count = Little(buffer.data() + 10, 2), size = Little(buffer.data() + 12, 4),
                      offset = Little(buffer.data() + 16, 4);
        bool found = true;
        if (count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
            found = end >= 20 && readAt(end - 20, 20) && Little(buffer.data(), 4) == 0x07064b50;
            const std::uint64_t record = found ? Little(buffer.data() + 8, 8) : 0;
            found = found && readAt(record, 56) && Little(buffer.data(), 4) == 0x06064b50;
            if (found) {
                count = Little(buffer.data() + 32, 8);
                size = Little(buffer.data() + 40, 8);
                offset = Little(buffer.data() + 48, 8);
            }
        }
        if (found && offset + size <= end && readAt(offset, size)) {
            whole = true;
            std::size_t at = 0;
            for (std::uint64_t i = 0; i < count && whole; ++i) {
                const unsigned char* e = buffer.data() + at;
                if (at + 46 > buffer.size() || Little(e, 4) != 0x02014b50) {
                    whole = false;
                    break;
                }
                const std::size_t nameLength = Little(e + 28, 2), extraLength = Little(e + 30, 2),
                                  commentLength = Little(e + 32, 2);
                if (at + 46 + nameLength + extraLength + commentLength > buffer.size()) {
                    whole = false;
                    break;
                }
                std::uint64_t unpacked = Little(e + 24, 4);
                if (unpacked == 0xFFFFFFFF) {
                    // The large size stands first in the zip64 extra field.
                    const unsigned char* x = e + 46 + nameLength;
                    for (std::size_t k = 0; k + 4 <= extraLength;) {
                        const std::size_t length = Little(x + k + 2, 2);
                        if (Little(x + k, 2) == 1 && length >= 8 && k + 4 + 8 <= extraLength) {
                            unpacked = Little(x + k + 4, 8);
                            break;
                        }
                        k += 4 + length;
                    }
                }
                members.emplace_back(
                    std::string(reinterpret_cast<const char*>(e + 46), nameLength), unpacked);
                at += 46 + nameLength + extraLength + commentLength;
            }
        }
    }
    ::close(fd);
    return whole;
}

lxw_color_t ExcelColor(std::uint32_t color)
{
    // The layout keeps Windows colours, 0x00BBGGRR; Excel takes 0xRRGGBB,
    // with black spelt apart from "no colour".
    const lxw_color_t rgb = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

std::uint8_t ExcelBorder(std::uint8_t style)
{
    switch (style) {
    case 1:
        return LXW_BORDER_THIN;
    case 2:
        return LXW_BORDER_DOUBLE;
    case 3:
        return LXW_BORDER_MEDIUM;
    case 4:
        return LXW_BORDER_DOTTED;
    case 5:
        return LXW_BORDER_DASH_DOT;
    default:
        return LXW_BORDER_NONE;
    }
}

struct Border {
    std::uint8_t style = LXW_BORDER_NONE;
    std::uint32_t color = 0;
};

Border RuleBorder(const TMyLineSpec& spec)
{
    return { ExcelBorder(spec.Style), spec.Color };
}

// The report draws its frame single and solid whatever the style, doubled
// for the double style.
Border FrameBorder(const TMyLineSpec& spec)
{
    return { spec.Style == 2 ? std::uint8_t(LXW_BORDER_DOUBLE) : std::uint8_t(LXW_BORDER_THIN), spec.Color };
}

struct Borders {
    Border left, right, top, bottom;
};

// Cell formats made once and shared by every cell that looks the same.
class Formats {
public:
    explicit Formats(lxw_workbook* workbook)
        : workbook_(workbook)
    {
    }

    lxw_format* Get(const TMyTextItem& item, const std::string& numberFormat, const Borders& b)
    {
        std::string key(item.FontName.View());
        auto add = [&key](const void* bytes, std::size_t size) {
            key.append(static_cast<const char*>(bytes), size);
        };
        add(&item.FontSize, sizeof item.FontSize);
        add(&item.FontColor, sizeof item.FontColor);
        add(&item.Align, 1);
        add(&item.Wrap, 1);
        for (const Border* e : { &b.left, &b.right, &b.top, &b.bottom }) {
            add(&e->style, 1);
            add(&e->color, sizeof e->color);
        }
        key += numberFormat;
        if (auto found = cache_.find(key); found != cache_.end())
            return found->second;

        lxw_format* format = workbook_add_format(workbook_);
        const std::string face = GbkToUtf8(item.FontName.View());
        if (!face.empty())
            format_set_font_name(format, face.c_str());
        if (item.FontSize > 0)
            format_set_font_size(format, std::min<int>(item.FontSize, 409));
        if ((item.FontColor & 0xFFFFFF) != 0)
            format_set_font_color(format, ExcelColor(item.FontColor));
        format_set_align(format,
            item.Align == 2       ? LXW_ALIGN_CENTER
                : item.Align == 3 ? LXW_ALIGN_RIGHT
                                  : LXW_ALIGN_LEFT);
        format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
        if (item.Wrap == 1)
            format_set_text_wrap(format);
        if (!numberFormat.empty())
            format_set_num_format(format, numberFormat.c_str());
        auto side = [format](const Border& e, auto setStyle, auto setColor) {
            if (e.style == LXW_BORDER_NONE)
                return;
            setStyle(format, e.style);
            if ((e.color & 0xFFFFFF) != 0)
                setColor(format, ExcelColor(e.color));
        };
        side(b.left, format_set_left, format_set_left_color);
        side(b.right, format_set_right, format_set_right_color);
        side(b.top, format_set_top, format_set_top_color);
        side(b.bottom, format_set_bottom, format_set_bottom_color);
        cache_.emplace(std::move(key), format);
        return format;
    }

private:
    lxw_workbook* workbook_;
    std::unordered_map<std::string, lxw_format*> cache_;
};

// A used merged-cell slot of the layout, its range cut to the table.
struct Slot {
    int first = 0, last = 0; // columns
    int top = 0, bottom = 0; // rows of a block
    std::uint8_t kind = 0;
    TMyTextItem item;
    int sumColumn = 0; // the column a subtotal or total adds up; 0 for none
};

// A cell of the data sheet as the report's row gave it.
struct DataCell {
    enum Kind : char { Blank, Number, Text };
    Kind kind = Blank;
    double value = 0;
    std::string text;
    lxw_format* format = nullptr;
};

// The data sheets, written on a thread of their own while the report's
// sheets are written from the same rows: each sheet's rows go into a file
// of its own, so the two share nothing but the formats, and every format
// gets its number in the workbook before a row that uses it is handed over.
// Batches handed from one thread to another, a few at most in between so
// that memory stays flat; a batch the taker is done with goes back to the
// giver to be filled again.
template <typename Batch> class Handoff {
public:
    explicit Handoff(std::size_t most)
        : most_(most)
    {
    }

    // Hands batch over, waiting for room, and gives back an emptied one to
    // fill (or an empty one); false once stopped.
    bool Give(Batch& batch)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ready_.size() < most_ || stopped_; });
        if (stopped_)
            return false;
        ready_.push_back(std::move(batch));
        batch = Batch();
        if (!spare_.empty()) {
            batch = std::move(spare_.back());
            spare_.pop_back();
        }
        lock.unlock();
        changed_.notify_all();
        return true;
    }

    // Returns batch, the one taken last, and waits for the next; false when
    // the giver ended and nothing is left, or once stopped.
    bool Take(Batch& batch)
    {
        std::unique_lock lock(mutex_);
        spare_.push_back(std::move(batch));
        changed_.wait(lock, [this] { return !ready_.empty() || ended_ || stopped_; });
        if (stopped_ || ready_.empty())
            return false;
        batch = std::move(ready_.front());
        ready_.pop_front();
        lock.unlock();
        changed_.notify_all();
        return true;
    }

    // The giver has handed over its last batch.
    void End() { Set(ended_); }
    // Neither side waits any more.
    void Stop() { Set(stopped_); }

private:
    void Set(bool& flag)
    {
        {
            std::lock_guard lock(mutex_);
            flag = true;
        }
        changed_.notify_all();
    }

    const std::size_t most_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> ready_;
    std::vector<Batch> spare_;
    bool ended_ = false, stopped_ = false;
};

class DataSheets {
public:
    struct Setup {
        std::vector<lxw_worksheet*> sheets; // made in order, "数据" first
        int cols = 0;
        std::vector<std::string> captions; // by column, 1-based, as cell texts
        std::vector<double> widths; // 0 for a hidden column
        std::vector<lxw_format*> columnFormats; // by column, 1-based
        lxw_format* heading = nullptr;
        double headingHeight = LXW_DEF_ROW_HEIGHT;
        std::uint8_t paper = 9;
        bool landscape = false;
        lxw_row_t maxRows = LXW_ROW_MAX;
    };

    explicit DataSheets(Setup setup)
        : setup_(std::move(setup))
    {
        for (lxw_format* format : setup_.columnFormats)
            if (format)
                lxw_format_get_xf_index(format);
        lxw_format_get_xf_index(setup_.heading);
        thread_ = std::thread([this] { Run(); });
    }
    ~DataSheets()
    {
        rows_.Stop();
        if (thread_.joinable())
            thread_.join();
    }
    DataSheets(const DataSheets&) = delete;
    DataSheets& operator=(const DataSheets&) = delete;

    // Takes the cells 1..cols of row (leaving them empty) as the next row.
    void Add(std::vector<DataCell>& row)
    {
        for (int j = 1; j <= setup_.cols; ++j) {
            DataCell& cell = row[j];
            if (cell.kind == DataCell::Number && cell.format)
                lxw_format_get_xf_index(cell.format);
            filling_.push_back(std::move(cell));
        }
        if (filling_.size() >= kRowsPerBatch * static_cast<std::size_t>(std::max(setup_.cols, 1)))
            HandOver();
    }

    // Waits for the last row to be written; the number of data sheets.
    int Finish()
    {
        HandOver();
        rows_.End();
        if (thread_.joinable())
            thread_.join();
        if (failure_)
            std::rethrow_exception(failure_);
        return static_cast<int>(setup_.sheets.size());
    }

private:
    static constexpr std::size_t kRowsPerBatch = 512;
    static constexpr std::size_t kBatchesInFlight = 4; // memory stays flat

    void HandOver()
    {
        if (filling_.empty())
            return;
        rows_.Give(filling_);
        filling_.clear();
        // A batch is filled without growing: a buffer let go at each step
        // would make the allocator tidy its free lists every time.
        filling_.reserve(kRowsPerBatch * static_cast<std::size_t>(std::max(setup_.cols, 1)));
    }

    void Run()
    {
        try {
            std::size_t sheet = 0;
            StartSheet(0);
            std::vector<DataCell> batch;
            while (rows_.Take(batch)) {
                const int cols = setup_.cols;
                for (std::size_t at = 0; at + cols <= batch.size() && cols > 0; at += cols) {
                    if (row_ >= setup_.maxRows && sheet + 1 < setup_.sheets.size()) {
                        EndSheet(sheet);
                        StartSheet(++sheet);
                    }
                    lxw_worksheet* ws = setup_.sheets[sheet];
                    for (int j = 1; j <= cols; ++j) {
                        const DataCell& cell = batch[at + j - 1];
                        if (cell.kind == DataCell::Number)
                            worksheet_write_number(ws, row_, j - 1, cell.value, cell.format);
                        else if (cell.kind == DataCell::Text)
                            worksheet_write_string(
                                ws, row_, j - 1, cell.text.c_str(), setup_.columnFormats[j]);
                    }
                    ++row_;
                }
            }
            EndSheet(sheet);
        } catch (...) {
            failure_ = std::current_exception();
            rows_.Stop();
        }
    }

    // One heading row of captions, frozen, printed on the report's paper as
    // wide as one sheet with the heading on every page.
    void StartSheet(std::size_t k)
    {
        lxw_worksheet* ws = setup_.sheets[k];
        for (int j = 1; j <= setup_.cols; ++j) {
            lxw_row_col_options hidden {};
            hidden.hidden = setup_.widths[j] == 0;
            worksheet_set_column_opt(ws, j - 1, j - 1,
                setup_.widths[j] == 0 ? LXW_DEF_COL_WIDTH : setup_.widths[j], setup_.columnFormats[j],
                &hidden);
            worksheet_write_string(ws, 0, j - 1, setup_.captions[j].c_str(), setup_.heading);
        }
        worksheet_set_row(ws, 0, setup_.headingHeight, nullptr);
        worksheet_freeze_panes(ws, 1, 0);
        worksheet_set_paper(ws, setup_.paper);
        if (setup_.landscape)
            worksheet_set_landscape(ws);
        worksheet_fit_to_pages(ws, 1, 0);
        worksheet_repeat_rows(ws, 0, 0);
        row_ = 1;
    }

    // The filter over the sheet's rows.
    void EndSheet(std::size_t k)
    {
        if (setup_.cols > 0)
            worksheet_autofilter(setup_.sheets[k], 0, 0, row_ - 1, static_cast<lxw_col_t>(setup_.cols - 1));
    }

    Setup setup_;
    std::vector<DataCell> filling_; // rows not handed over yet
    Handoff<std::vector<DataCell>> rows_ { kBatchesInFlight };
    std::exception_ptr failure_; // the thread's, read once it is joined
    lxw_row_t row_ = 0; // the thread's own
    std::thread thread_;
};

// A cell of a data row, read and made ready for the sheets.
struct ReadyCell {
    enum Kind : char { Blank, Number, Date, Text, Bad };
    Kind kind = Blank;
    double value = 0; // a number, or a date's serial
    std::string text; // a text as the workbook takes it, a date's number format, or a bad cell's message
};

// The data rows the report's sheets write, read and made ready in their
// order on a thread of their own over a twin of the data object, a few
// batches ahead of the sheets. Where the data cannot be read twice they are
// read on the caller's thread as they are asked for.
class RowsAhead {
public:
    // Reads row r of block b from data into the cells 1..cols of a row.
    using Prepare = std::function<void(TMyPrintData& data, int b, int r, std::vector<ReadyCell>& row)>;
    // The rows kept of block b, in order.
    using KeptRows = std::function<std::vector<int>(int b)>;

    RowsAhead(TMyPrintData& own, std::unique_ptr<TMyPrintData> twin, int blocks, KeptRows kept,
        Prepare prepare, int cols)
        : own_(own)
        , twin_(std::move(twin))
        , blocks_(blocks)
        , kept_(std::move(kept))
        , prepare_(std::move(prepare))
        , cols_(cols)
    {
        if (twin_)
            thread_ = std::thread([this] { Run(); });
    }
    ~RowsAhead()
    {
        rows_.Stop();
        if (thread_.joinable())
            thread_.join();
    }
    RowsAhead(const RowsAhead&) = delete;
    RowsAhead& operator=(const RowsAhead&) = delete;

    // The next row, row r of block b, into row (its cells 1..cols); what
    // reading it threw is thrown here.
    void Next(int b, int r, std::vector<ReadyCell>& row)
    {
        if (!twin_) {
            own_.ReadRow(b, r);
            prepare_(own_, b, r, row);
            return;
        }
        if (at_ >= taking_.size()) {
            if (!rows_.Take(taking_))
                // Asked for a row past the report's.
                throw std::runtime_error(Tr("XlsxReport", "发生了未知的错误"));
            at_ = 0;
        }
        Row& next = taking_[at_++];
        if (next.failure)
            std::rethrow_exception(next.failure);
        row.swap(next.cells);
    }

private:
    struct Row {
        std::vector<ReadyCell> cells;
        std::exception_ptr failure;
    };
    static constexpr std::size_t kRowsPerBatch = 256;
    static constexpr std::size_t kBatchesAhead = 4; // memory stays flat

    void Run()
    {
        std::vector<Row> batch;
        std::size_t used = 0;
        bool inRow = false;
        try {
            for (int b = 1; b <= blocks_; ++b)
                for (int r : kept_(b)) {
                    if (used == batch.size())
                        batch.emplace_back();
                    Row& row = batch[used++];
                    row.failure = nullptr;
                    inRow = true;
                    row.cells.resize(static_cast<std::size_t>(cols_) + 1);
                    twin_->ReadRow(b, r);
                    prepare_(*twin_, b, r, row.cells);
                    inRow = false;
                    if (used == kRowsPerBatch) {
                        batch.resize(used);
                        if (!rows_.Give(batch))
                            return;
                        used = 0;
                    }
                }
        } catch (...) {
            // The sheets stop at the row that failed; nothing after it is read.
            if (!inRow) {
                if (used == batch.size())
                    batch.emplace_back();
                ++used;
            }
            batch[used - 1].failure = std::current_exception();
        }
        batch.resize(used);
        if (!batch.empty() && !rows_.Give(batch))
            return;
        rows_.End();
    }

    TMyPrintData& own_;
    std::unique_ptr<TMyPrintData> twin_;
    const int blocks_;
    const KeptRows kept_;
    const Prepare prepare_;
    const int cols_;
    std::vector<Row> taking_; // the batch the sheets take rows from
    std::size_t at_ = 0;
    Handoff<std::vector<Row>> rows_ { kBatchesAhead };
    std::thread thread_;
};

class ReportSheets {
public:
    ReportSheets(const TMyPrintFormat& format, TMyPrintData& data, const XlsxPagination& pages,
        lxw_workbook* workbook, const XlsxOptions& options)
        : f_(format)
        , data_(data)
        , pages_(pages)
        , workbook_(workbook)
        , options_(options)
        , formats_(workbook)
        , cols_(format.Cols())
        , rows_(format.Rows())
        , headRows_(format.HeadRows())
    {
        FindSlots();
        bpp_ = std::max(1, pages.blocksPerPage);
        blocks_ = std::max(1, pages.blockCount);
        title_ = GbkToUtf8(f_.Title.Text.View());
        for (auto* seen : { &rowSeen_, &blockSeen_, &sheetSeen_, &earlierSeen_ })
            seen->assign(static_cast<std::size_t>(cols_) + 1, 0.0);
    }

    // Writes every sheet; the pages written. quiet is let go while progress
    // speaks.
    int Write(PrintProgress* progress, QuietErrorOutput& quiet, int& sheets, int& dataSheetCount)
    {
        FindDateColumns();
        // The rows are read and their cells made ready ahead of the sheets.
        twinFormat_ = f_;
        RowsAhead rows(
            data_, data_.Twin(twinFormat_), blocks_, [this](int b) { return KeptRows(b); },
            [this](TMyPrintData& data, int b, int r, std::vector<ReadyCell>& row) {
                MakeReady(data, b, r, row);
            },
            cols_);
        rowsAhead_ = &rows;
        ready_.assign(static_cast<std::size_t>(cols_) + 1, ReadyCell {});
        // Every sheet of the report comes before the data sheets, yet both
        // are written side by side, each row once read: the report's sheets
        // are counted and made first.
        for (int k = SheetCount(); k > 0; --k) {
            const int n = static_cast<int>(worksheets_.size()) + 1;
            worksheets_.push_back(
                AddSheet(XlsxSheetName(title_, n > 1 ? "(" + std::to_string(n) + ")" : "")));
        }
        reportSheets_ = static_cast<int>(worksheets_.size());
        DataSheets dataSheets(DataSheetSetup());
        dataSheets_ = &dataSheets;
        StartSheet();
        int page = 0;
        bool breaksFull = false;
        for (int b = 1; b <= blocks_; ++b) {
            const int p = (b - 1) / bpp_ + 1;
            if (p != page) {
                if (progress) {
                    quiet.Release();
                    const bool goOn = progress->BeforePage(p - 1, std::max(pages_.pageCount, p));
                    quiet.Hold();
                    if (!goOn)
                        throw Cancelled {};
                }
                page = p;
            }
            const std::vector<int> kept = KeptRows(b);
            const std::uint64_t need = kept.size() + BottomTexts().size();
            // A sheet holds so many page breaks; past them a spreadsheet would
            // print at breaks of its own, so the next page starts a sheet.
            if (blocksOnSheet_ > 0 && (breaksFull || row_ + need > options_.maxSheetRows)) {
                FinishSheet();
                StartSheet();
                breaksFull = false;
            }
            WriteSection(b, kept);
            ++blocksOnSheet_;
            if (b % bpp_ == 0 && b < blocks_) {
                if (breaks_.size() < LXW_BREAKS_MAX)
                    breaks_.push_back(row_);
                else
                    breaksFull = true;
                tallestPage_ = std::max(tallestPage_, pageHeight_);
                pageHeight_ = headingHeight_; // the print titles come again
            }
        }
        FinishSheet();
        rowsAhead_ = nullptr;
        dataSheetCount = dataSheets.Finish();
        dataSheets_ = nullptr;
        sheets = sheet_;
        return (blocks_ - 1) / bpp_ + 1;
    }

    const std::vector<lxw_worksheet*>& Worksheets() const { return worksheets_; }

    // The data sheet's rows as CSV (RFC 4180, UTF-8 after a byte-order
    // mark, CR LF): the heading captions, then each data row, numbers with
    // the column's decimals and no thousands separators. The pages gone
    // through.
    int WriteCsv(PrintProgress* progress, OutputFile& out)
    {
        std::string buffer = "\xEF\xBB\xBF";
        auto field = [&buffer](std::string_view text) { AppendCsvField(buffer, text); };
        auto flush = [&](std::size_t least) {
            if (buffer.size() >= least) {
                if (!out.Write(buffer.data(), buffer.size()))
                    throw WriteFailed {};
                buffer.clear();
            }
        };
        for (int j = 1; j <= cols_; ++j) {
            if (j > 1)
                buffer += ',';
            field(Caption(j, false));
        }
        buffer += "\r\n";
        int page = 0;
        for (int b = 1; b <= blocks_; ++b) {
            if (const int p = (b - 1) / bpp_ + 1; p != page) {
                if (progress && !progress->BeforePage(p - 1, std::max(pages_.pageCount, p)))
                    throw Cancelled {};
                page = p;
            }
            for (int r : KeptRows(b)) {
                if (!IsDataRow(b, r))
                    continue;
                data_.ReadRow(b, r);
                for (int j = 1; j <= cols_; ++j) {
                    if (j > 1)
                        buffer += ',';
                    const TextString* cell
                        = j < static_cast<int>(data_.Cells.size()) ? &data_.Cells[j] : nullptr;
                    if (cover_[Index(r, j)] >= 0 || !cell || cell->Empty())
                        continue;
                    if (f_.ColDecimals[j] == kTextColumn) {
                        field(GbkToUtf8(cell->View()));
                        continue;
                    }
                    double v = 0;
                    if (!StrToFloatStrict(cell->View(), v))
                        throw BadCell(BadCellMessage(cell->View(), b, r, j));
                    buffer += PlainNumber(f_.ColDecimals[j], v);
                }
                buffer += "\r\n";
                flush(1 << 16);
            }
        }
        flush(1);
        return (blocks_ - 1) / bpp_ + 1;
    }

private:
    lxw_worksheet* AddSheet(const std::string& name)
    {
        lxw_worksheet* ws = workbook_add_worksheet(workbook_, name.c_str());
        if (!ws)
            throw std::runtime_error(Tr("XlsxReport", "无法在工作簿中添加工作表"));
        // The rows go out in large writes; nothing is written to the file yet.
        if (ws->optimize_tmpfile)
            std::setvbuf(ws->optimize_tmpfile, nullptr, _IOFBF, kRowBuffer);
        return ws;
    }

    // The sheets Write fills: a sheet ends where the next block would not
    // fit in its rows, or past the page breaks a sheet holds.
    int SheetCount() const
    {
        const std::uint64_t start = TopTexts().size() + static_cast<std::uint64_t>(headRows_);
        const std::uint64_t bottom = BottomTexts().size();
        std::uint64_t row = start;
        std::size_t breaks = 0;
        int sheets = 1, onSheet = 0;
        bool full = false;
        for (int b = 1; b <= blocks_; ++b) {
            const std::uint64_t kept = KeptRows(b).size();
            if (onSheet > 0 && (full || row + kept + bottom > options_.maxSheetRows)) {
                ++sheets;
                row = start;
                breaks = 0;
                onSheet = 0;
                full = false;
            }
            row += kept;
            ++onSheet;
            if (b % bpp_ == 0 && b < blocks_) {
                if (breaks < LXW_BREAKS_MAX)
                    ++breaks;
                else
                    full = true;
            }
        }
        return sheets;
    }

    void FindSlots()
    {
        for (int s = 1; s <= kMaxMergedCells; ++s) {
            const TMyMergedCell& m = f_.MergedCells[s];
            if (m.Top == 0 || m.Top > rows_ || m.Left > cols_)
                continue;
            Slot slot;
            slot.first = std::max(m.Left, 1);
            slot.top = std::max(m.Top, 1);
            slot.last = std::clamp(m.Right, 0, cols_);
            slot.bottom = std::clamp(m.Bottom, 0, rows_);
            int width = 0, height = 0;
            for (int j = slot.first; j <= slot.last; ++j)
                width += f_.ColWidth[j];
            for (int r = slot.top; r <= slot.bottom; ++r)
                height += f_.RowHeight[r];
            // A range that takes no room is not drawn by the report either.
            if (width == 0 || height == 0)
                continue;
            slot.kind = m.Kind;
            slot.item = m.Item;
            if (m.Kind == kMergedSubtotal || m.Kind == kMergedGrandTotal) {
                const int col = TextToInt(m.Item.Text.View());
                if (col != kNotANumber && col >= 1 && col <= cols_ && f_.ColDecimals[col] != kTextColumn)
                    slot.sumColumn = col;
            }
            // Excel merges may not overlap. The later slot is the one the
            // report shows on top; an earlier one it covers in part keeps
            // the largest piece of its range that stays in sight, text and
            // all.
            std::vector<Slot> shown;
            for (const Slot& o : slots_) {
                if (!(o.first <= slot.last && slot.first <= o.last && o.top <= slot.bottom
                        && slot.top <= o.bottom)) {
                    shown.push_back(o);
                    continue;
                }
                const Slot pieces[] = {
                    Piece(o, o.first, slot.first - 1, o.top, o.bottom),
                    Piece(o, slot.last + 1, o.last, o.top, o.bottom),
                    Piece(o, o.first, o.last, o.top, slot.top - 1),
                    Piece(o, o.first, o.last, slot.bottom + 1, o.bottom),
                };
                const Slot* best = nullptr;
                for (const Slot& piece : pieces)
                    if (Area(piece) > 0 && (!best || Area(piece) > Area(*best)))
                        best = &piece;
                if (best)
                    shown.push_back(*best);
            }
            shown.push_back(slot);
            slots_ = std::move(shown);
        }
        cover_.assign(static_cast<std::size_t>(rows_ + 1) * (cols_ + 1), -1);
        for (std::size_t k = 0; k < slots_.size(); ++k) {
            const Slot& s = slots_[k];
            for (int r = s.top; r <= s.bottom; ++r)
                for (int j = s.first; j <= s.last; ++j)
                    cover_[Index(r, j)] = static_cast<int>(k);
        }
    }

    // The text columns whose every data cell that is not empty is a date
    // (and one at least): written as dates. A read through the data, given
    // up once no column is left.
    void FindDateColumns()
    {
        dateColumn_.assign(static_cast<std::size_t>(cols_) + 1, 0);
        std::vector<int> open;
        for (int j = 1; j <= cols_; ++j)
            if (f_.ColDecimals[j] == kTextColumn)
                open.push_back(j);
        std::vector<char> seen(static_cast<std::size_t>(cols_) + 1, 0);
        double day = 0;
        std::string numberFormat; // how each date is written; the cells tell it again as they are written
        for (int b = 1; b <= blocks_ && !open.empty(); ++b)
            for (int r : KeptRows(b)) {
                data_.ReadRow(b, r);
                std::erase_if(open, [&](int j) {
                    if (cover_[Index(r, j)] >= 0 || j >= static_cast<int>(data_.Cells.size())
                        || data_.Cells[j].Empty())
                        return false;
                    seen[j] = 1;
                    return !XlsxDate(data_.Cells[j].View(), day, numberFormat);
                });
                if (open.empty())
                    break;
            }
        for (int j : open)
            dateColumn_[j] = seen[j];
    }

    static Slot Piece(const Slot& whole, int first, int last, int top, int bottom)
    {
        Slot piece = whole;
        piece.first = first;
        piece.last = last;
        piece.top = top;
        piece.bottom = bottom;
        return piece;
    }

    // The room a range takes on the page, in square millimetres.
    long Area(const Slot& s) const
    {
        if (s.first > s.last || s.top > s.bottom)
            return 0;
        long width = 0, height = 0;
        for (int j = s.first; j <= s.last; ++j)
            width += f_.ColWidth[j];
        for (int r = s.top; r <= s.bottom; ++r)
            height += f_.RowHeight[r];
        return width * height;
    }

    std::size_t Index(int r, int j) const { return static_cast<std::size_t>(r) * (cols_ + 1) + j; }

    std::vector<const TMyTextItem*> TopTexts() const
    {
        std::vector<const TMyTextItem*> items;
        if (f_.PrintCompany == 1 && !f_.Company.Text.Empty())
            items.push_back(&f_.Company);
        if (f_.PrintTitle == 1 && !f_.Title.Text.Empty())
            items.push_back(&f_.Title);
        for (int i = 1; i <= kHeadFootLines; ++i)
            if (f_.PrintPageHead == 1 && !f_.Head[i].Text.Empty())
                items.push_back(&f_.Head[i]);
        return items;
    }

    std::vector<const TMyTextItem*> BottomTexts() const
    {
        std::vector<const TMyTextItem*> items;
        for (int i = 1; i <= kHeadFootLines; ++i)
            if (f_.PrintPageFoot == 1 && !f_.Foot[i].Text.Empty())
                items.push_back(&f_.Foot[i]);
        return items;
    }

    // The rows of block b the sheet shows: every row the report draws (the
    // empty data rows of the last block collapse unless the layout keeps
    // the grid).
    std::vector<int> KeptRows(int b) const
    {
        std::vector<int> kept;
        const bool last = b >= pages_.blockCount;
        for (int r = headRows_ + 1; r <= rows_; ++r) {
            if (last && f_.KeepEmptyGrid != 1 && r > pages_.lastBlockRows && r <= rows_ - f_.FootRows())
                continue;
            kept.push_back(r);
        }
        return kept;
    }

    void StartSheet()
    {
        ++sheet_;
        if (sheet_ > reportSheets_)
            throw std::runtime_error(Tr("XlsxReport", "无法在工作簿中添加工作表"));
        sheetName_ = XlsxSheetName(title_, sheet_ > 1 ? "(" + std::to_string(sheet_) + ")" : "");
        sheet_ws_ = worksheets_[static_cast<std::size_t>(sheet_ - 1)];
        row_ = 0;
        blocksOnSheet_ = 0;
        breaks_.clear();
        pageHeight_ = tallestPage_ = 0;
        lxw_worksheet* ws = sheet_ws_;
        for (int j = 1; j <= cols_; ++j) {
            lxw_row_col_options hidden {};
            hidden.hidden = f_.ColWidth[j] == 0;
            worksheet_set_column_opt(ws, j - 1, j - 1,
                f_.ColWidth[j] == 0 ? LXW_DEF_COL_WIDTH : XlsxColumnWidth(f_.ColWidth[j]), nullptr, &hidden);
        }
        // Printing from Excel gives the report's sheets; a paper of the
        // layout's own size becomes the smallest standard one that holds it.
        if (f_.PaperSize >= 1 && f_.PaperSize <= 41)
            worksheet_set_paper(ws, static_cast<std::uint8_t>(f_.PaperSize));
        else
            worksheet_set_paper(ws, PaperHolding(PaperWidth(), PaperLength()).code);
        if (f_.Orientation == 2)
            worksheet_set_landscape(ws);
        else
            worksheet_set_portrait(ws);
        worksheet_set_margins(ws, f_.MarginLeft * kInchesPerMm, f_.MarginRight * kInchesPerMm,
            f_.MarginTop * kInchesPerMm, f_.MarginBottom * kInchesPerMm);
        if (f_.HorPlace == 2)
            worksheet_center_horizontally(ws);
        if (f_.VerPlace == 2)
            worksheet_center_vertically(ws);
        if (f_.PrintPageNumber == 1)
            worksheet_set_footer(ws, "&C第&P页 共&N页"); // printed as the pages' numbers are

        for (const TMyTextItem* item : TopTexts())
            WriteTextRow(*item);
        if (headRows_ > 0) {
            std::vector<int> heading;
            for (int r = 1; r <= headRows_; ++r)
                heading.push_back(r);
            const lxw_row_t first = row_;
            const double before = pageHeight_;
            WriteSection(0, heading);
            headingHeight_ = pageHeight_ - before;
            worksheet_repeat_rows(ws, first, row_ - 1);
        }
        worksheet_freeze_panes(ws, row_, 0);
        dataTop_ = row_;
        std::fill(sheetSeen_.begin(), sheetSeen_.end(), 0.0);
    }

    // The data sheets, made after the report's sheets: as many as the data
    // rows need, each with the heading row.
    DataSheets::Setup DataSheetSetup()
    {
        DataSheets::Setup setup;
        setup.cols = cols_;
        setup.maxRows = options_.maxSheetRows;
        const std::uint64_t perSheet = std::max<std::uint64_t>(options_.maxSheetRows, 2) - 1;
        const std::uint64_t sheets = std::max<std::uint64_t>(1, (DataRowCount() + perSheet - 1) / perSheet);
        for (std::uint64_t k = 1; k <= sheets; ++k) {
            // The program's own sheets are named in the language in use.
            const std::string name = k > 1 ? FillIn(Tr("XlsxReport", "数据(%1)"), { std::to_string(k) })
                                           : Tr("XlsxReport", "数据");
            setup.sheets.push_back(AddSheet(name));
            worksheets_.push_back(setup.sheets.back());
        }
        setup.heading = workbook_add_format(workbook_);
        format_set_bold(setup.heading);
        format_set_bottom(setup.heading, LXW_BORDER_THIN);
        format_set_text_wrap(setup.heading); // a caption joined with "/" breaks there
        setup.columnFormats.assign(static_cast<std::size_t>(cols_) + 1, nullptr);
        setup.captions.assign(static_cast<std::size_t>(cols_) + 1, std::string());
        setup.widths.assign(static_cast<std::size_t>(cols_) + 1, 0.0);
        int lines = 1;
        for (int j = 1; j <= cols_; ++j) {
            setup.columnFormats[j] = formats_.Get(f_.ColItem[j],
                f_.ColDecimals[j] != kTextColumn ? XlsxNumberFormat(f_.ColDecimals[j], f_.NegativeRed == 1)
                                                 : std::string(),
                {});
            setup.captions[j] = Caption(j, true);
            setup.widths[j] = f_.ColWidth[j] == 0 ? 0 : XlsxColumnWidth(f_.ColWidth[j]);
            lines = std::max(lines,
                1 + static_cast<int>(std::count(setup.captions[j].begin(), setup.captions[j].end(), '/')));
        }
        setup.headingHeight = std::min(409.0, LXW_DEF_ROW_HEIGHT * lines);
        setup.paper = f_.PaperSize >= 1 && f_.PaperSize <= 41
            ? static_cast<std::uint8_t>(f_.PaperSize)
            : PaperHolding(PaperWidth(), PaperLength()).code;
        setup.landscape = f_.Orientation == 2;
        columnFormats_ = setup.columnFormats;
        rowCells_.resize(static_cast<std::size_t>(cols_) + 1);
        return setup;
    }

    // The rows the data sheets take: every block's data rows alike but the
    // last one's.
    std::uint64_t DataRowCount() const
    {
        auto rowsOf = [this](int b) {
            std::uint64_t n = 0;
            for (int r : KeptRows(b))
                n += IsDataRow(b, r) ? 1 : 0;
            return n;
        };
        return blocks_ > 1 ? static_cast<std::uint64_t>(blocks_ - 1) * rowsOf(1) + rowsOf(blocks_)
                           : rowsOf(1);
    }

    // Rows of data: not the foot rows, nor the empty rows after the last
    // line.
    bool IsDataRow(int b, int r) const
    {
        return r > headRows_ && r <= rows_ - f_.FootRows()
            && (b < pages_.blockCount || r <= pages_.lastBlockRows);
    }

    // A column's caption: the texts of the heading over it, top down, each
    // once; escaped for a cell of the workbook, or as they are.
    std::string Caption(int j, bool cell) const
    {
        std::string caption;
        int last = -1;
        for (int r = 1; r <= headRows_; ++r) {
            const int k = cover_[Index(r, j)];
            if (k < 0 || k == last || slots_[k].kind != kMergedText || slots_[k].item.Text.Empty())
                continue;
            last = k;
            const std::string_view text = slots_[k].item.Text.View();
            caption += (caption.empty() ? "" : "/") + (cell ? CellText(text) : GbkToUtf8(text));
        }
        return caption;
    }

    void FinishSheet()
    {
        if (row_ > dataTop_) {
            doneSheets_.push_back({ sheetName_, dataTop_, row_ - 1 });
            for (int j = 1; j <= cols_; ++j)
                earlierSeen_[j] += sheetSeen_[j];
        }
        for (const TMyTextItem* item : BottomTexts())
            WriteTextRow(*item);
        if (!breaks_.empty()) {
            std::vector<lxw_row_t> list = breaks_;
            list.push_back(0);
            worksheet_set_h_pagebreaks(sheet_ws_, list.data());
        }
        // The sheet prints at the report's print scale. The report lets a
        // table that is wider or taller than the space between the margins
        // run into them; Excel would move the rest to another sheet of
        // paper, so such a sheet is printed smaller still.
        tallestPage_ = std::max(tallestPage_, pageHeight_);
        double paperW = std::min(PaperWidth(), PaperLength()), paperH = std::max(PaperWidth(), PaperLength());
        if (f_.Orientation == 2)
            std::swap(paperW, paperH);
        const double roomW = paperW - f_.MarginLeft - f_.MarginRight;
        const double roomH = (paperH - f_.MarginTop - f_.MarginBottom) * kPointsPerMm;
        int tableW = 0;
        for (int j = 1; j <= cols_; ++j)
            tableW += f_.ColWidth[j];
        const double rate = pages_.printRate > 0 ? pages_.printRate / 100.0 : 1.0;
        double scale = rate;
        // Columns are kept in characters of the default font, which
        // LibreOffice draws up to 7 % wider than Excel. A table that then
        // runs into the side margins takes what it needs of them, down to
        // a margin a printer still prints on; only a table wider still is
        // printed smaller.
        const double printedW = tableW * rate * kWiderColumns;
        if (tableW > 0 && roomW > 0 && printedW > roomW) {
            double left = f_.MarginLeft, right = f_.MarginRight;
            double want = printedW - roomW;
            const double spareLeft = std::max(0.0, left - kLeastMargin),
                         spareRight = std::max(0.0, right - kLeastMargin);
            const double fromLeft = std::min(spareLeft, std::max(want / 2, want - spareRight));
            left -= fromLeft;
            want -= fromLeft;
            right -= std::min(spareRight, want);
            worksheet_set_margins(sheet_ws_, left * kInchesPerMm, right * kInchesPerMm,
                f_.MarginTop * kInchesPerMm, f_.MarginBottom * kInchesPerMm);
            const double widest = paperW - left - right;
            if (printedW > widest + 1e-9 && widest > 0)
                scale = std::min(scale, widest / (tableW * kWiderColumns));
        }
        if (tallestPage_ > 0 && roomH > 0 && tallestPage_ * rate > roomH)
            scale = std::min(scale, roomH / tallestPage_);
        const auto percent
            = static_cast<std::uint16_t>(std::clamp(std::floor(scale * 100 + 1e-9), 10.0, 400.0));
        if (percent != 100)
            worksheet_set_print_scale(sheet_ws_, percent);
    }

    // The layout's paper in millimetres (a layout without one has A4); one
    // of its own size larger than any standard paper prints on the largest.
    double PaperWidth() const { return Paper(true); }
    double PaperLength() const { return Paper(false); }
    double Paper(bool width) const
    {
        if (f_.PaperWidth == 0 || f_.PaperLength == 0)
            return width ? 210 : 297;
        const bool standard = f_.PaperSize >= 1 && f_.PaperSize <= 41;
        const StandardPaper& held = PaperHolding(f_.PaperWidth, f_.PaperLength);
        if (standard
            || (held.width + 0.5 >= std::min(f_.PaperWidth, f_.PaperLength)
                && held.length + 0.5 >= std::max(f_.PaperWidth, f_.PaperLength)))
            return width ? f_.PaperWidth : f_.PaperLength;
        return width ? held.width : held.length;
    }

    // One text across the table's width, in its own row.
    void WriteTextRow(const TMyTextItem& item)
    {
        lxw_worksheet* ws = sheet_ws_;
        const double points = item.FontSize > 0 ? item.FontSize : 11;
        const double height = std::min(409.0, points * 1.4 + 6);
        worksheet_set_row(ws, row_, height, nullptr);
        pageHeight_ += height;
        lxw_format* format = formats_.Get(item, {}, {});
        const lxw_col_t lastCol = static_cast<lxw_col_t>(std::max(cols_, 1) - 1);
        if (lastCol > 0)
            worksheet_merge_range(ws, row_, 0, row_, lastCol, "", format);
        worksheet_write_string(ws, row_, 0, CellText(item.Text.View()).c_str(), format);
        ++row_;
    }

    // Rows `kept` of block b (0: the heading rows) one after the other.
    void WriteSection(int b, const std::vector<int>& kept)
    {
        lxw_worksheet* ws = sheet_ws_;
        const lxw_row_t base = row_;
        // Where each slot starts and ends among the kept rows.
        std::vector<int> firstKept(slots_.size(), 0), lastKept(slots_.size(), 0);
        for (int r : kept)
            for (std::size_t k = 0; k < slots_.size(); ++k)
                if (r >= slots_[k].top && r <= slots_[k].bottom) {
                    if (firstKept[k] == 0)
                        firstKept[k] = r;
                    lastKept[k] = r;
                }
        std::vector<lxw_row_t> sheetRow(rows_ + 1, 0);
        for (std::size_t i = 0; i < kept.size(); ++i)
            sheetRow[kept[i]] = base + static_cast<lxw_row_t>(i);
        if (b > 0) {
            blockTop_ = base;
            std::fill(blockSeen_.begin(), blockSeen_.end(), 0.0);
        }

        for (std::size_t i = 0; i < kept.size(); ++i) {
            const int r = kept[i];
            const lxw_row_t sr = base + static_cast<lxw_row_t>(i);
            const bool endOfBlock = b > 0 && i + 1 == kept.size();
            lxw_row_col_options rowOptions {};
            rowOptions.hidden = f_.RowHeight[r] == 0;
            // The data rows of a block one level below its foot rows, so
            // that the outline folds the sheet to its subtotals.
            if (b > 0 && f_.FootRows() > 0 && r <= rows_ - f_.FootRows())
                rowOptions.level = 1;
            // A spreadsheet row is at most 409 points high.
            const double height = std::min(409.0, f_.RowHeight[r] * kPointsPerMm);
            worksheet_set_row_opt(
                ws, sr, f_.RowHeight[r] == 0 ? LXW_DEF_ROW_HEIGHT : height, nullptr, &rowOptions);
            pageHeight_ += height;
            // Rows are written one after the other and each is gone once
            // the next begins, so a range is merged while its last row is
            // being written; the cells of its earlier rows are in place.
            for (std::size_t k = 0; k < slots_.size(); ++k) {
                const Slot& s = slots_[k];
                if (lastKept[k] == r && (firstKept[k] != r || s.first != s.last))
                    worksheet_merge_range(
                        ws, sheetRow[firstKept[k]], s.first - 1, sr, s.last - 1, "", nullptr);
            }
            if (b > 0)
                rowsAhead_->Next(b, r, ready_);
            for (DataCell& cell : rowCells_)
                cell.kind = DataCell::Blank;
            for (int j = 1; j <= cols_; ++j) {
                const int k = cover_[Index(r, j)];
                if (k >= 0 && firstKept[k] != 0)
                    WriteSlotCell(b, r, j, sr, slots_[k], firstKept[k], lastKept[k], endOfBlock);
                else
                    WriteDataCell(b, r, j, sr, endOfBlock);
            }
            // A formula further down sees this row's numbers; the heading
            // lies above every range.
            for (int j = 1; j <= cols_ && b > 0; ++j) {
                blockSeen_[j] += rowSeen_[j];
                sheetSeen_[j] += rowSeen_[j];
            }
            std::fill(rowSeen_.begin(), rowSeen_.end(), 0.0);
            // Rows of data, not the foot rows nor the empty rows after the
            // last line, go on the data sheet as well.
            if (b > 0 && IsDataRow(b, r))
                dataSheets_->Add(rowCells_);
        }
        row_ = base + static_cast<lxw_row_t>(kept.size());
    }

    Borders CellBorders(int r, int j, bool topOfTable, bool endOfBlock) const
    {
        Borders b;
        if (j == 1)
            b.left = FrameBorder(f_.FrameLine);
        b.right = j == cols_ ? FrameBorder(f_.FrameLine) : RuleBorder(f_.ColLine[j]);
        if (topOfTable)
            b.top = FrameBorder(f_.FrameLine);
        b.bottom = endOfBlock ? FrameBorder(f_.FrameLine) : r < rows_ ? RuleBorder(f_.RowLine[r]) : Border {};
        return b;
    }

    void WriteDataCell(int b, int r, int j, lxw_row_t sr, bool endOfBlock)
    {
        lxw_worksheet* ws = sheet_ws_;
        const bool numeric = f_.ColDecimals[j] != kTextColumn;
        // Cells of one place in the block look the same in every block.
        const std::size_t key = Index(r, j) * 2 + (endOfBlock ? 1 : 0);
        if (dataFormats_.empty())
            dataFormats_.assign(static_cast<std::size_t>(rows_ + 1) * (cols_ + 1) * 2, nullptr);
        lxw_format*& format = dataFormats_[key];
        if (!format)
            format = formats_.Get(f_.ColItem[j],
                numeric ? XlsxNumberFormat(f_.ColDecimals[j], f_.NegativeRed == 1) : std::string(),
                CellBorders(r, j, r == 1, endOfBlock));
        ReadyCell* cell = b > 0 ? &ready_[j] : nullptr;
        if (!cell || cell->kind == ReadyCell::Blank) {
            worksheet_write_blank(ws, sr, j - 1, format);
            return;
        }
        // The cell as the data sheet takes it too.
        DataCell& kept = rowCells_[j];
        switch (cell->kind) {
        case ReadyCell::Bad:
            throw BadCell(cell->text);
        case ReadyCell::Number:
            worksheet_write_number(ws, sr, j - 1, cell->value, format);
            rowSeen_[j] += cell->value;
            kept.kind = DataCell::Number;
            kept.value = cell->value;
            kept.format = columnFormats_[j];
            break;
        case ReadyCell::Date: {
            // A date column's cells mostly share one way of writing dates.
            if (dateFormats_.empty())
                dateFormats_.resize(dataFormats_.size());
            DateFormats& date = dateFormats_[key];
            if (!date.cell || date.numberFormat != cell->text) {
                date.numberFormat = cell->text;
                date.cell = formats_.Get(f_.ColItem[j], cell->text, CellBorders(r, j, r == 1, endOfBlock));
                date.plain = formats_.Get(f_.ColItem[j], cell->text, {});
            }
            worksheet_write_number(ws, sr, j - 1, cell->value, date.cell);
            kept.kind = DataCell::Number;
            kept.value = cell->value;
            kept.format = date.plain;
            break;
        }
        default:
            kept.kind = DataCell::Text;
            kept.text = std::move(cell->text);
            worksheet_write_string(ws, sr, j - 1, kept.text.c_str(), format);
            break;
        }
    }

    // Row r of block b as read into data, each cell made ready as the
    // sheets take it: a number parsed, a date found, a text in UTF-8.
    // Runs on the thread that reads ahead.
    void MakeReady(TMyPrintData& data, int b, int r, std::vector<ReadyCell>& row) const
    {
        for (int j = 1; j <= cols_; ++j) {
            ReadyCell& cell = row[j];
            cell.kind = ReadyCell::Blank;
            const TextString* text = j < static_cast<int>(data.Cells.size()) ? &data.Cells[j] : nullptr;
            if (!text || text->Empty())
                continue;
            if (f_.ColDecimals[j] != kTextColumn) {
                if (StrToFloatStrict(text->View(), cell.value)) {
                    cell.kind = ReadyCell::Number;
                } else {
                    cell.kind = ReadyCell::Bad;
                    cell.text = BadCellMessage(text->View(), b, r, j);
                }
            } else if (dateColumn_[j] && XlsxDate(text->View(), cell.value, cell.text)) {
                cell.kind = ReadyCell::Date;
            } else {
                cell.kind = ReadyCell::Text;
                cell.text = CellText(text->View());
            }
        }
    }

    void WriteSlotCell(
        int b, int r, int j, lxw_row_t sr, const Slot& s, int firstKept, int lastKept, bool endOfBlock)
    {
        lxw_worksheet* ws = sheet_ws_;
        // The range shows no rules inside it.
        Borders borders = CellBorders(r, j, r == 1, endOfBlock);
        if (j < s.last)
            borders.right = {};
        if (r < lastKept)
            borders.bottom = {};
        const bool number = s.sumColumn > 0 && (s.kind == kMergedGrandTotal || b > 0);
        lxw_format* format = formats_.Get(s.item,
            number ? XlsxNumberFormat(f_.ColDecimals[s.sumColumn], f_.NegativeRed == 1) : std::string(),
            borders);
        if (r != firstKept || j != s.first) {
            worksheet_write_blank(ws, sr, j - 1, format);
            return;
        }
        // A grand total in the table's body stands once, in the last block,
        // so that adding up the sheet counts it once; its place in the
        // other blocks stays empty.
        if (number && (s.kind == kMergedSubtotal || b == 0 || b == blocks_)) {
            const int c = s.sumColumn;
            const bool subtotal = s.kind == kMergedSubtotal;
            const double shown
                = ShownValue(f_.ColDecimals[c], subtotal ? data_.BlockTotal(c, b) : data_.ColumnTotal(c));
            // As a spreadsheet's subtotal command writes it: SUBTOTAL skips
            // the other SUBTOTALs in its range, so neither it nor a SUM of
            // the column counts a total twice. A total the cells above it do
            // not add up to (cells the report leaves out) stays a number.
            const std::string formula = b == 0 ? std::string()
                : subtotal                     ? BlockFormula(c, shown, sr)
                                               : TotalFormula(c, shown, sr);
            if (!formula.empty()) {
                worksheet_write_formula_num(ws, sr, j - 1, formula.c_str(), format, shown);
            } else {
                worksheet_write_number(ws, sr, j - 1, shown, format);
                if (b > 0)
                    rowSeen_[j] += shown;
            }
        } else if (s.kind == kMergedText && !s.item.Text.Empty()) {
            worksheet_write_string(ws, sr, j - 1, CellText(s.item.Text.View()).c_str(), format);
        } else {
            worksheet_write_blank(ws, sr, j - 1, format);
        }
    }

    // "A3:A9" for rows first..last of column c (1-based), as a formula
    // names them.
    static std::string Range(int c, lxw_row_t first, lxw_row_t last)
    {
        char from[LXW_MAX_CELL_NAME_LENGTH], to[LXW_MAX_CELL_NAME_LENGTH];
        lxw_rowcol_to_cell(from, first, static_cast<lxw_col_t>(c - 1));
        lxw_rowcol_to_cell(to, last, static_cast<lxw_col_t>(c - 1));
        return std::string(from) + ":" + to;
    }

    // The subtotal of column c over the block's rows above sheet row sr,
    // when those add up to what the report shows (shown); empty otherwise.
    std::string BlockFormula(int c, double shown, lxw_row_t sr) const
    {
        if (sr <= blockTop_ || !SameShown(c, blockSeen_[c], shown))
            return {};
        return "SUBTOTAL(9," + Range(c, blockTop_, sr - 1) + ")";
    }

    // The grand total of column c over its data rows on every sheet so far
    // and on this one above sheet row sr; empty where they do not add up.
    std::string TotalFormula(int c, double shown, lxw_row_t sr) const
    {
        if (sr <= dataTop_ || !SameShown(c, earlierSeen_[c] + sheetSeen_[c], shown))
            return {};
        std::string formula = "SUBTOTAL(9,";
        for (const DoneSheet& done : doneSheets_) {
            std::string quoted = "'";
            for (char ch : done.name)
                quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
            formula += quoted + "'!" + Range(c, done.top, done.bottom) + ",";
        }
        formula += Range(c, dataTop_, sr - 1) + ")";
        // A spreadsheet takes 255 arguments and 8,192 characters in a
        // formula: a report on more sheets than that keeps its number.
        return doneSheets_.size() < 250 && formula.size() < 8000 ? formula : std::string();
    }

    bool SameShown(int c, double seen, double total) const
    {
        return ShownValue(f_.ColDecimals[c], seen) == ShownValue(f_.ColDecimals[c], total);
    }

    std::string BadCellMessage(std::string_view text, int b, int r, int j) const
    {
        CellPlace place;
        place.page = (b - 1) / bpp_ + 1;
        place.blocksOnPage = f_.MultiTables == 1 ? bpp_ : 1;
        place.block = f_.MultiTables == 1 ? (b - 1) % bpp_ + 1 : 1;
        place.row = r;
        place.column = j;
        return FillIn(Tr("XlsxReport", "“%1”不是有效的数值"), { GbkToUtf8(text) }) + PlaceText(place);
    }

    const TMyPrintFormat& f_;
    TMyPrintData& data_;
    const XlsxPagination pages_;
    lxw_workbook* workbook_;
    const XlsxOptions options_;
    Formats formats_;
    const int cols_, rows_, headRows_;
    int bpp_ = 1, blocks_ = 1;
    std::string title_;
    std::vector<Slot> slots_;
    std::vector<int> cover_; // the slot over each cell of a block, -1 for none
    std::vector<lxw_worksheet*> worksheets_;
    std::vector<lxw_format*> dataFormats_;
    // The formats of a date cell at each place of the block, for the way
    // of writing dates last seen there: on the report sheet, on the data sheet.
    struct DateFormats {
        std::string numberFormat;
        lxw_format* cell = nullptr;
        lxw_format* plain = nullptr;
    };
    std::vector<DateFormats> dateFormats_;
    std::vector<char> dateColumn_; // 1 for a column of dates
    int reportSheets_ = 0;
    DataSheets* dataSheets_ = nullptr; // while Write runs
    TMyPrintFormat twinFormat_; // the layout the rows read ahead follow
    RowsAhead* rowsAhead_ = nullptr; // while Write runs
    std::vector<ReadyCell> ready_; // the row being written, by column
    std::vector<lxw_format*> columnFormats_; // the data sheets' formats by column
    std::vector<DataCell> rowCells_; // the row being written, by column
    // The numbers written into each column (1-based) that a SUBTOTAL over
    // it would add: in the row being written, in the block, on this sheet
    // and on the sheets before; where the block and the sheet's data begin.
    std::vector<double> rowSeen_, blockSeen_, sheetSeen_, earlierSeen_;
    lxw_row_t blockTop_ = 0, dataTop_ = 0;
    struct DoneSheet {
        std::string name;
        lxw_row_t top, bottom; // its data rows
    };
    std::vector<DoneSheet> doneSheets_;
    std::string sheetName_;
    int sheet_ = 0;
    lxw_worksheet* sheet_ws_ = nullptr;
    lxw_row_t row_ = 0;
    int blocksOnSheet_ = 0;
    std::vector<lxw_row_t> breaks_;
    // Heights in points, to print each page of the report on one sheet.
    double pageHeight_ = 0, headingHeight_ = 0, tallestPage_ = 0;
};

} // namespace

std::string XlsxSheetName(const std::string& utf8Title, const std::string& suffix)
{
    // Excel counts a sheet name in UTF-16 units, at most 31.
    auto units = [](std::string_view s) {
        int n = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            if ((c & 0xC0) != 0x80)
                n += c >= 0xF0 ? 2 : 1;
        }
        return n;
    };
    const int room = 31 - units(suffix);
    std::string name;
    int used = 0;
    for (std::size_t i = 0; i < utf8Title.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8Title[i]);
        std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        len = std::min(len, utf8Title.size() - i);
        const int need = len == 4 ? 2 : 1;
        if (used + need > room)
            break;
        std::string ch = utf8Title.substr(i, len);
        if (ch.size() == 1 && (std::strchr("[]:*?/\\", ch[0]) || static_cast<unsigned char>(ch[0]) < 0x20))
            ch = "_";
        name += ch;
        used += need;
        i += len;
    }
    // Nor may it begin or end with an apostrophe.
    if (!name.empty() && name.front() == '\'')
        name.front() = '_';
    if (!name.empty() && name.back() == '\'')
        name.back() = '_';
    if (name.empty())
        name = Tr("XlsxReport", "报表");
    return name + suffix;
}

double XlsxColumnWidth(int mm)
{
    // Excel keeps widths in characters of the default font, 7 pixels wide
    // with 5 pixels of padding, and narrower columns in twelfths.
    const double pixels = std::round(mm * kPixelsPerMm);
    return pixels <= 12 ? pixels / 12.0 : (pixels - 5) / 7.0;
}

std::string XlsxNumberFormat(int decimals, bool negativeRed)
{
    std::string format = "#,##0";
    // Excel takes at most 30 decimals.
    if (decimals > 0)
        format += "." + std::string(static_cast<std::size_t>(std::min(decimals, 30)), '0');
    if (negativeRed)
        format += ";[Red]-" + format;
    return format;
}

bool XlsxDate(std::string_view gbk, double& serial, std::string& numberFormat)
{
    static const std::string year = Utf8ToGbk("年"), month = Utf8ToGbk("月"), day = Utf8ToGbk("日");
    std::size_t at = 0;
    // Digits at `at`, between least and most of them.
    auto number = [&](std::size_t least, std::size_t most, int& value, std::size_t& digits) {
        digits = 0;
        value = 0;
        while (at < gbk.size() && digits < most && gbk[at] >= '0' && gbk[at] <= '9') {
            value = value * 10 + (gbk[at++] - '0');
            ++digits;
        }
        return digits >= least && !(at < gbk.size() && gbk[at] >= '0' && gbk[at] <= '9');
    };
    auto take = [&](std::string_view mark) {
        if (gbk.substr(at, mark.size()) != mark)
            return false;
        at += mark.size();
        return true;
    };
    int y = 0, m = 0, d = 0;
    std::size_t yDigits = 0, mDigits = 0, dDigits = 0;
    if (!number(4, 4, y, yDigits))
        return false;
    std::string first, second, last;
    if (at < gbk.size() && (gbk[at] == '-' || gbk[at] == '/')) {
        const char mark = gbk[at];
        // A slash stands for the system's date separator in a number format.
        first = second = mark == '/' ? "\\/" : "-";
        ++at;
        if (!number(1, 2, m, mDigits) || at >= gbk.size() || gbk[at] != mark)
            return false;
        ++at;
        if (!number(1, 2, d, dDigits))
            return false;
    } else {
        if (!take(year) || !number(1, 2, m, mDigits) || !take(month) || !number(1, 2, d, dDigits)
            || !take(day))
            return false;
        first = "\"年\"";
        second = "\"月\"";
        last = "\"日\"";
    }
    if (at != gbk.size() || m < 1 || m > 12 || d < 1)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int monthDays[] = { 31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    // Spreadsheets count 1900 as a leap year: days before March 1900 are off by one.
    if (d > monthDays[m - 1] || y < 1900 || (y == 1900 && m < 3))
        return false;
    // Days since 30 December 1899, through the days since 1 March of year 0.
    const int yy = m <= 2 ? y - 1 : y;
    const int era = yy / 400, yoe = yy - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long days = era * 146097L + yoe * 365L + yoe / 4 - yoe / 100 + doy;
    serial = static_cast<double>(days - 693899L); // 693899: 30 December 1899 on that count
    numberFormat = "yyyy" + first + (mDigits == 2 ? "mm" : "m") + second + (dDigits == 2 ? "dd" : "d") + last;
    return true;
}

namespace {

// Opens the file an export writes; on a refusal or failure result says why.
bool OpenOutput(OutputFile& file, const std::string& path, const std::vector<std::string>& inUse,
    XlsxReportResult& result)
{
    if (file.Open(path, inUse))
        return true;
    result.outcome
        = file.Refusal() != OutputRefusal::None ? XlsxReportResult::Refused : XlsxReportResult::Failed;
    result.refusal = file.Refusal();
    result.errorNumber = file.Error();
    return false;
}

// Puts the whole file in place; result says whether it is there.
XlsxReportResult Committed(OutputFile& file, XlsxReportResult& result)
{
    if (file.Commit())
        result.outcome = XlsxReportResult::Written;
    else
        result.errorNumber = file.Error();
    return result;
}

} // namespace

XlsxReportResult WriteReportXlsx(const TMyPrintFormat& format, TMyPrintData& data,
    const XlsxPagination& pages, const std::string& path, const std::vector<std::string>& inUse,
    PrintProgress* progress, const XlsxOptions& options)
{
    XlsxReportResult result;
    OutputFile file;
    if (!OpenOutput(file, path, inUse, result))
        return result;
    // Rows stream out one by one into a file beside the workbook, so a long
    // report needs little memory.
    lxw_workbook_options lxwOptions {};
    lxwOptions.constant_memory = LXW_TRUE;
    std::string folder = file.Folder();
    lxwOptions.tmpdir = folder.data();
    // Sheets past 4 GB need the large form of the zip container.
    lxwOptions.use_zip64 = LXW_TRUE;
    QuietErrorOutput quiet;
    lxw_workbook* workbook = workbook_new_opt(file.TemporaryPath().c_str(), &lxwOptions);
    if (!workbook) {
        result.errorNumber = errno != 0 ? errno : EIO;
        return result;
    }
    // What a file manager or a spreadsheet shows of the workbook: the
    // title, the page-head lines as its subject, the company line.
    const std::string title = PropertyText(format.Title.Text.View());
    std::string subject;
    for (int i = 1; i <= kHeadFootLines; ++i)
        if (const std::string line = PropertyText(format.Head[i].Text.View()); !line.empty())
            subject += (subject.empty() ? "" : " ") + line;
    const std::string company = PropertyText(format.Company.Text.View());
    lxw_doc_properties properties {};
    properties.title = const_cast<char*>(title.c_str());
    properties.subject = const_cast<char*>(subject.c_str());
    properties.company = const_cast<char*>(company.c_str());
    properties.created = std::time(nullptr);
    workbook_set_properties(workbook, &properties);
    // The library writes the rows of each sheet into a file of its own and
    // checks none of those writes: each is checked here, and the package
    // read back, so that a full disk or a file-size limit never leaves a
    // cut workbook under the name asked for.
    std::vector<std::uint64_t> staged;
    int failure = 0;
    try {
        ReportSheets sheets(format, data, pages, workbook, options);
        result.pages = sheets.Write(progress, quiet, result.sheets, result.dataSheets);
        for (lxw_worksheet* sheet : sheets.Worksheets()) {
            FILE* rows = sheet->optimize_tmpfile;
            if (!rows) {
                staged.push_back(0);
                continue;
            }
            errno = 0;
            const bool flushed = std::fflush(rows) == 0 && !std::ferror(rows);
            struct stat st { };
            const std::uint64_t size
                = ::fstat(::fileno(rows), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
            if (!flushed && failure == 0)
                failure = errno == ENOSPC || errno == EFBIG || errno == EDQUOT
                    ? errno
                    : ShortWriteReason(folder, size);
            staged.push_back(size);
        }
    } catch (const Cancelled&) {
        lxw_workbook_free(workbook);
        result.outcome = XlsxReportResult::Cancelled;
        return result;
    } catch (const std::exception& error) {
        lxw_workbook_free(workbook);
        result.message = error.what();
        return result;
    }
    if (failure != 0) {
        lxw_workbook_free(workbook);
        result.errorNumber = failure;
        return result;
    }
    // Closing stages each sheet once more, beside its rows.
    std::uint64_t needed = 0;
    for (std::uint64_t size : staged)
        needed += 2 * size;
    errno = 0;
    lxw_error closed;
    {
        FastPackaging fast;
        closed = workbook_close(workbook);
    }
    if (const lxw_error failed = closed; failed != LXW_NO_ERROR) {
        const int number = errno;
        struct stat st { };
        const std::uint64_t size
            = ::stat(file.TemporaryPath().c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        result.errorNumber = number == ENOSPC || number == EFBIG || number == EDQUOT
            ? number
            : ShortWriteReason(folder, size, needed);
        return result;
    }
    quiet.Release();
    // Each member as long as what went into it: a sheet longer than the rows
    // staged for it, nothing at the file-size limit (where a write was cut).
    std::vector<std::pair<std::string, std::uint64_t>> members;
    struct stat written { };
    const std::uint64_t writtenSize = ::stat(file.TemporaryPath().c_str(), &written) == 0
        ? static_cast<std::uint64_t>(written.st_size)
        : 0;
    if (!PackageMembers(file.TemporaryPath(), members)) {
        result.errorNumber = ShortWriteReason(folder, writtenSize, needed);
        return result;
    }
    const std::uint64_t limit = FileSizeLimit();
    for (const auto& [name, size] : members) {
        std::uint64_t least = 0;
        for (std::size_t k = 0; k < staged.size(); ++k)
            if (name == "xl/worksheets/sheet" + std::to_string(k + 1) + ".xml")
                least = staged[k] + 1;
        if (size < least || (limit > 0 && size >= limit)) {
            result.errorNumber = ShortWriteReason(folder, std::max(size, writtenSize), needed);
            return result;
        }
    }
    return Committed(file, result);
}

XlsxReportResult WriteReportCsv(const TMyPrintFormat& format, TMyPrintData& data, const XlsxPagination& pages,
    const std::string& path, const std::vector<std::string>& inUse, PrintProgress* progress)
{
    XlsxReportResult result;
    OutputFile file;
    if (!OpenOutput(file, path, inUse, result))
        return result;
    try {
        ReportSheets rows(format, data, pages, nullptr, {});
        result.pages = rows.WriteCsv(progress, file);
    } catch (const Cancelled&) {
        result.outcome = XlsxReportResult::Cancelled;
        return result;
    } catch (const WriteFailed&) {
        result.errorNumber = file.Error();
        return result;
    } catch (const std::exception& error) {
        result.message = error.what();
        return result;
    }
    return Committed(file, result);
}

} // namespace quillet

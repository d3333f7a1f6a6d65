#include "tests/engine/EngineTestSupport.h"

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

#include "platform/NumberLocale.h"

namespace quillet::test {
namespace {

void PutShortString(std::string& out, const std::string& text, std::size_t capacity)
{
    if (text.size() > capacity)
        throw std::invalid_argument("text too long for its field");
    out.push_back(static_cast<char>(text.size()));
    out += text;
    out.append(capacity - text.size(), '\0');
}

} // namespace

void WriteDataFile(const std::filesystem::path& path, const DataFileSpec& spec)
{
    std::string bytes;
    // Signature: length 21, then ".Brellisk.-打印用数据" in GBK.
    const unsigned char signature[] = { 21, 0x2e, 0x42, 0x72, 0x65, 0x6c, 0x6c, 0x69, 0x73, 0x6b, 0x2e, 0x2d,
        0xb4, 0xf2, 0xd3, 0xa1, 0xd3, 0xc3, 0xca, 0xfd, 0xbe, 0xdd };
    bytes.append(reinterpret_cast<const char*>(signature), sizeof signature);
    const unsigned char version[] = { 1, 0, 5, 0 };
    bytes.append(reinterpret_cast<const char*>(version), sizeof version);
    for (const auto& text : spec.head)
        PutShortString(bytes, text, 200);
    for (const auto& text : spec.foot)
        PutShortString(bytes, text, 200);
    if (bytes.size() != 1232)
        throw std::logic_error("data file head is not 1232 bytes");
    for (const auto& cell : spec.cells)
        PutShortString(bytes, cell, 200);
    bytes += spec.trailing;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write the data file");
}

TempDir::TempDir()
{
    static std::atomic<int> counter { 0 };
    dir_ = std::filesystem::temp_directory_path()
        / ("quillet-engine-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

EngineRig::EngineRig(int screenDpi, int printerDpi)
    : display(screenDpi)
    , screen(display)
    , printer(printerHost)
    , paper(paperHost, screen)
    , data(format)
    , buffer(format, data, screen, printer, paper, bitmaps)
{
    SetCurrentNumberLocale({ ',', '.' });
    printerHost.dpiX = printerDpi;
    printerHost.dpiY = printerDpi;
    printer.ReadSettings();
}

void EngineRig::UseData(const DataFileSpec& spec)
{
    const auto path = temp.Path("report.dat");
    WriteDataFile(path, spec);
    if (data.Open(path.string()) != 0)
        throw std::runtime_error("the data file does not open");
    buffer.Paginate();
}

void EngineRig::UseCells(std::vector<std::string> cells)
{
    DataFileSpec spec;
    spec.cells = std::move(cells);
    UseData(spec);
}

void SimpleTable(TMyPrintFormat& f, int cols, int rows, int headRows, int colWidth, int rowHeight)
{
    f.ColCount = static_cast<std::uint16_t>(cols);
    f.RowCount = static_cast<std::uint16_t>(rows);
    f.HeadRowCount = static_cast<std::uint16_t>(headRows);
    for (int j = 1; j <= cols; ++j) {
        f.ColWidth[j] = static_cast<std::uint8_t>(colWidth);
        f.ColDecimals[j] = kTextColumn;
        SetItem(f.ColItem[j], "", 20);
    }
    for (int r = 1; r <= rows; ++r)
        f.RowHeight[r] = static_cast<std::uint8_t>(rowHeight);
}

void SetItem(TMyTextItem& item, const std::string& text, int points, int align, Color color)
{
    item.FontName.SetText("Arial");
    item.FontSize = static_cast<std::uint16_t>(points);
    item.Align = static_cast<std::uint8_t>(align);
    item.FontColor = color;
    item.Text.SetText(text);
}

std::vector<std::string> TextsOf(const RecordingCanvas& canvas)
{
    std::vector<std::string> out;
    for (const auto& op : canvas.Texts())
        out.push_back(op.text);
    return out;
}

} // namespace quillet::test

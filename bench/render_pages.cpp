// render_pages <folder> [--rows N] [--drop-empty-rows] [--print-rate 50]
// [page ...]: renders pages of the bundled example at 100 % and 50 % preview
// zoom into PNG files page-<n>-100.png and page-<n>-50.png in folder, so that
// people can look at them. --drop-empty-rows lets the last block lose its
// empty ledger lines; --print-rate 50 draws the content at half size;
// --stack makes blocks of 8 ledger lines and stacks them with rules between.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "bench/BenchRig.h"
#include "engine/EngineError.h"
#include "platform/qt/FontSubstitutions.h"
#include "tools/ExampleReport.h"

using namespace quillet;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    InstallFontSubstitutions();

    if (argc < 2) {
        std::fprintf(stderr,
            "usage: render_pages <folder> [--rows N] [--drop-empty-rows] [--print-rate 50] [--stack] [page "
            "...]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    int rows = kExampleDefaultRows;
    bool dropEmptyRows = false;
    bool stack = false;
    double printRate = 100;
    std::vector<int> pages;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc) {
            rows = std::atoi(argv[++i]);
        } else if (arg == "--stack") {
            stack = true;
        } else if (arg == "--drop-empty-rows") {
            dropEmptyRows = true;
        } else if (arg == "--print-rate" && i + 1 < argc) {
            printRate = std::atof(argv[++i]);
        } else {
            const int page = std::atoi(argv[i]);
            if (page < 1) {
                std::fprintf(stderr, "render_pages: %s is not a page number\n", argv[i]);
                return 2;
            }
            pages.push_back(page);
        }
    }
    if (pages.empty())
        pages = { 1 };
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "render_pages: cannot create %s\n", argv[1]);
        return 1;
    }

    QTemporaryDir temp;
    const std::string dataPath = temp.filePath(QStringLiteral("example.dat")).toStdString();
    // Stacked blocks hold 8 ledger lines each; the data follow that shape.
    const int linesPerBlock = stack ? 8 : kExampleDataRowsPerBlock;
    // As in the example's own file: the sum rows lie between blocks, not after the last one.
    const long long lines = std::max(rows, 0);
    const long long cells
        = (lines + (lines > 0 ? (lines - 1) / linesPerBlock * kExampleFootRows : 0)) * kExampleColumns;
    if (!temp.isValid() || !WriteLedgerData(dataPath, cells, linesPerBlock, kExampleFootRows, false)) {
        std::fprintf(stderr, "render_pages: cannot write the example data\n");
        return 1;
    }
    EngineRig rig;
    BuildExampleFormat(rig.format);
    if (dropEmptyRows)
        rig.format.KeepEmptyGrid = 0;
    if (stack) {
        // Two caption rows, 8 lines and the two sum rows, which move up.
        TMyPrintFormat& f = rig.format;
        const int rows = kExampleHeadRows + 8 + kExampleFootRows;
        for (int r = kExampleHeadRows + 1; r <= rows; ++r) {
            f.RowHeight[r] = f.RowHeight[kExampleRowsPerBlock - rows + r];
            f.RowLine[r] = f.RowLine[kExampleRowsPerBlock - rows + r];
        }
        for (int s = 9; s <= 14; ++s)
            f.MergedCells[s].Top = f.MergedCells[s].Bottom -= kExampleRowsPerBlock - rows;
        f.RowCount = static_cast<std::uint16_t>(rows);
        f.MultiTables = 1;
        f.TableGapLine = 1;
    }
    if (!rig.Start(dataPath)) {
        std::fprintf(stderr, "render_pages: the example data does not open\n");
        return 1;
    }
    try {
        rig.buffer->PrintRate = printRate;
        for (int page : pages) {
            if (page > rig.buffer->PageCount) {
                std::fprintf(
                    stderr, "render_pages: page %d is past the last page %d\n", page, rig.buffer->PageCount);
                continue;
            }
            rig.buffer->CurrentPage = page;
            for (int rate : { 100, 50 }) {
                rig.buffer->SetViewRate(rate);
                const QString file
                    = QDir(folder).filePath(QStringLiteral("page-%1-%2.png").arg(page).arg(rate));
                if (!rig.paperHost.picture.Image().save(file)) {
                    std::fprintf(stderr, "render_pages: cannot write %s\n", file.toLocal8Bit().constData());
                    return 1;
                }
                std::printf("%s\n", file.toLocal8Bit().constData());
            }
        }
    } catch (const EngineError& e) {
        std::fprintf(stderr, "render_pages: %s\n", e.what());
        return 1;
    }
    return 0;
}

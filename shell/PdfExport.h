#pragma once
// `quillet --pdf FILE DATA FORMAT [mode]` and `--xlsx`: the whole report
// written into one PDF file or Excel workbook, without a window (the option itself: shell/CommandLine.h).
#include <string>

#include "shell/CommandLine.h"

namespace quillet {

// Loads the format (a saved layout first unless the mode says NotDef) and the
// data as a normal start does, paginates on the format's paper and prints
// every page into pdfPath. Paths are bytes as given. Returns the exit
// status: 0 on success; otherwise the message is written to the error output
// and no file is left under pdfPath (one that was there stays as it was).
int ExportPdf(const std::string& pdfPath, const CommandArguments& arguments);

// `quillet --xlsx FILE DATA FORMAT [mode]`: the report as one Excel workbook,
// loaded and counted as for --pdf, with the same exit status and the same
// guarantees for the file.
int ExportXlsx(const std::string& xlsxPath, const CommandArguments& arguments);

// `quillet --csv FILE DATA FORMAT [mode]`: the data rows of the report as
// one CSV file, with the same rules and exit status.
int ExportCsv(const std::string& csvPath, const CommandArguments& arguments);

} // namespace quillet

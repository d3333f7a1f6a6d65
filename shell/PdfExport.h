#pragma once
// `quillet --pdf FILE DATA FORMAT [mode]`: the whole report written into one
// PDF file, without a window (the option itself: shell/CommandLine.h).
#include <string>

#include "shell/CommandLine.h"

namespace quillet {

// Loads the format (a saved layout first unless the mode says NotDef) and the
// data as a normal start does, paginates on the format's paper and prints
// every page into pdfPath. Paths are bytes as given. Returns the exit
// status: 0 on success; otherwise the message is written to the error output
// and no file is left under pdfPath (one that was there stays as it was).
int ExportPdf(const std::string& pdfPath, const CommandArguments& arguments);

} // namespace quillet

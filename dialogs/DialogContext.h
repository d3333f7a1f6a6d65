#pragma once
// What a format dialog may read and change: the layout, the page buffer (page
// count, current page, printing), the printer's paper and the message boxes,
// and the window's hook into the progress of print runs.
// The window hands one of these to every dialog it opens.
#include "dialogs/PageRun.h"
#include "engine/BuffPaper.h"
#include "geometry/PrnPrinter.h"
#include "model/PrnData.h"
#include "platform/MessageService.h"

namespace quillet {

struct DialogContext {
    TMyPrintFormat& format;
    TMyBuffPaper& buffPaper;
    TMyPrinter& printer;
    MessageService& messages;
    ProgressHook progress = {};
};

} // namespace quillet

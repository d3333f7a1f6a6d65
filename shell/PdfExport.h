#pragma once
// `quillet --pdf FILE DATA FORMAT [mode]`: the whole report written into one
// PDF file, without a window. Options come before the arguments of a normal
// start and are taken away before the start-up rules see them.
#include <QString>
#include <QStringList>

namespace quillet {

struct StartOptions {
    bool pdf = false;
    QString pdfPath;
    bool valid = true; // false when an option lacks its value
};

// Takes the leading options from arguments: "--pdf FILE".
StartOptions TakeStartOptions(QStringList& arguments);

// Loads the format (a saved layout first unless the mode says NotDef) and the
// data as a normal start does, paginates on the format's paper and prints
// every page into pdfPath. Returns the exit status: 0 on success; otherwise
// the message is written to the error output and no file is left under
// pdfPath (one that was there stays as it was).
int ExportPdf(const QString& pdfPath, const QStringList& arguments);

} // namespace quillet

#pragma once
// The printer named "PDF" that QUILLET_PDF_DIR adds: every print job becomes
// one PDF file in that folder, written by the program's PDF canvas (text
// stays searchable), named after the job's document title and never
// overwriting a file that is already there.
#include <QMarginsF>
#include <QString>

#include <string>

class QPrinter;

namespace quillet {

class PdfPrinter {
public:
    // folder in bytes, as the environment or the command line gives it; a
    // relative one is taken from the current folder now.
    explicit PdfPrinter(std::string folder);

    static QString Name() { return QStringLiteral("PDF"); }
    const std::string& Folder() const { return folder_; }

    // Turns printer (which then only holds the sheet) into this PDF printer:
    // 1200 dots per inch (high-resolution mode), A4 portrait, with Margins().
    static void Prepare(QPrinter& printer);
    // The unprintable edge of every sheet, 10 points each side (Qt's PDF
    // default), so pages have a printable area like a real printer's.
    static QMarginsF Margins() { return QMarginsF(10, 10, 10, 10); }

    // A document title made fit to be a file name: no "/" (it becomes "-"),
    // no control characters, no leading dots or surrounding blanks, at most
    // kMaxNameBytes bytes of UTF-8 cut on a character, the page part "(3-9)"
    // at its end kept whole; "untitled" when nothing is left.
    static QString SafeFileName(const QString& title);
    static constexpr int kMaxNameBytes = 200;

    // The path (bytes) of the n-th name tried for a job titled title:
    // "<safe title>.pdf", then "<safe title> (2).pdf", " (3)", ... A job's
    // file takes the first of them that is free only once it is complete
    // (PdfDocument::SaveNew), so no name is held by an unfinished file.
    std::string FileName(const QString& title, int n) const;
    static constexpr int kMaxTries = 9999;
    // Makes the folder and those above it when missing. False with the
    // reason's errno in *error.
    bool PrepareFolder(int* error = nullptr) const;

private:
    std::string folder_;
};

} // namespace quillet

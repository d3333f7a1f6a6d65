#pragma once
// The options of the command line. They come before the arguments of a
// normal start (data file, format file, mode) and are taken away before the
// start-up rules see them: "--pdf FILE", "--xlsx FILE", "--convert IN OUT", "--encoding NAME",
// "--db URL --query SQL", "--jobs N", "--lang zh|en", "--help" ("-h"), "--version", and "--" to end them. The toolkit's own
// options
// (-platform, -display, ...) are passed over; any other word starting with "-" is an unknown option.
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/Language.h"
#include "sources/CsvData.h"

namespace quillet {

struct LayoutFolders;

// The arguments after the program's name, as the bytes the program was
// given: file names reach the file system unchanged, whatever their encoding
// (names in GBK from archives made on Chinese Windows among them).
using CommandArguments = std::vector<std::string>;

// The arguments of main (argv[1] on).
CommandArguments ArgumentsOf(int argc, char** argv);

struct StartOptions {
    bool pdf = false;
    std::string pdfPath; // bytes, as given
    bool xlsx = false;
    std::string xlsxPath; // bytes, as given
    bool csv = false; // --csv FILE
    std::string csvPath; // bytes, as given
    bool convert = false; // --convert IN OUT
    std::string convertIn, convertOut; // bytes, as given
    bool valid = true; // false when --pdf, --xlsx, --csv or --convert lacks its file
    bool help = false;
    bool version = false;
    std::string unknown; // the first option the program does not know
    std::string repeated; // a second --pdf, --xlsx, --csv or --convert, refused
    CsvEncoding encoding = CsvEncoding::Detect; // --encoding utf-8|gbk, for a CSV data file
    // --db URL --query SQL: the rows of a query instead of a data file; the
    // arguments left are then the format file and the mode.
    bool fromQuery = false; // both given, once each
    std::string db; // the database address, as given
    std::string query; // the query, as given
    std::string halfQuery; // "--db" or "--query" when the other is missing or one comes twice, refused
    // --jobs N, else QUILLET_JOBS: the threads a PDF export draws on, 1 to
    // kMaxPdfJobs; 0 when neither is given (the number of cores).
    int jobs = 0;
    std::string badJobs; // "--jobs X" or "QUILLET_JOBS=X" when X is no such number, refused
    std::optional<Language> language; // --lang zh|en; else the locale's
};

// Takes the leading options (and the toolkit's among them) from arguments,
// which keep the data file, the format file and the mode.
StartOptions TakeStartOptions(CommandArguments& arguments);

// The text of --help, in the language in use: arguments, modes, options, environment
// variables, and where saved layouts go for this user (folders) and where
// the manual is (manual).
QString UsageText(const LayoutFolders& folders, const QString& manual);
// The text of --version.
QString VersionText();
// The complaint about an unknown option.
QString UnknownOptionText(const QString& option);
// The complaint about a second output option (--pdf, --xlsx, --csv).
QString RepeatedOutputText(const QString& option);
// The complaint about --db without --query, or the reverse, or one given twice.
QString HalfQueryText(const QString& option);
// The complaint about a number of threads that is none ("--jobs 0", "QUILLET_JOBS=x").
QString BadJobsText(const QString& given);

// The options of the raw command line (argv as main receives it), read
// before the toolkit starts.
StartOptions EarlyOptions(int argc, char** argv);
// Answers --help, --version, unknown, repeated and half-given options, before any toolkit or
// display is needed. Returns the exit status, or -1 when the program goes on.
int AnswerWithoutWindow(const StartOptions& options);

} // namespace quillet

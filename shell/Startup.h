#pragma once
// The start-up sequence: command line, run mode, saved layout, loading both
// files, printer paper, pagination, then printing every page and ending, or
// showing page 1. Every failure shows one message and ends the program.
#include <QString>
#include <string>

#include "shell/CommandLine.h"

namespace quillet {

class TFrmPrintReview;
class TMyPrintData;
class TMyPrintFormat;

// The run mode taken from the command line.
struct RunMode {
    bool preferSaved = true; // a saved layout is used when it exists
    bool print = false; // print every page, then end
    bool onlyView = false; // printing refused
};

// The mode word is taken only when exactly three arguments are given; its
// ASCII letter case does not matter; unknown words preview.
RunMode ModeFromArguments(const CommandArguments& arguments);
// The mode a word names (ASCII letter case aside); unknown words preview.
RunMode ModeFromWord(const std::string& word);
// Base name of a format file: its file name without the part from the last
// ".", in the bytes of the path.
std::string FormatBaseName(const std::string& formatPath);
// What a failed load of the format file at path (bytes) says; empty on success.
QString FormatLoadMessage(int result, const std::string& path);
// Loads the layout at path (bytes) into format: its JSON form when the name
// ends in ".json", else a format file. Returns the message of a failure
// (format untouched by a bad JSON text), empty on success.
QString LoadFormatFile(TMyPrintFormat& format, const std::string& path);
// What a failed opening of the data file says; empty on success. An input or
// output error has no message of its own.
QString DataOpenMessage(int result, const std::string& path);
// The encoding --encoding gave for a CSV data file, for the rest of the run.
void SetDataEncoding(CsvEncoding encoding);
// Opens the data file at path into data: a .csv or .tsv file as rows for
// format's layout, any other as the data file. The message of a failure,
// empty when it is open.
QString OpenDataFile(TMyPrintData& data, const TMyPrintFormat& format, const std::string& path);
// What a start opened: the files it read, which are never written over, and
// the name its layout is saved under.
struct OpenedReport {
    std::string dataPath; // the data file, CSV file or SQLite file, as given
    std::string formatArgument; // the format file as given; empty for a made layout
    std::string layoutPath; // the layout loaded (a saved one, or the argument); empty for a made one
    std::string baseName; // of the saved layout
    RunMode mode;
};
// The layout made for the CSV file at path, as for a CSV file given alone
// (no saved layout is looked for). The message of a failure, empty on success.
QString MakeLayoutFromCsv(const std::string& path, TMyPrintFormat& format);
// The query --db and --query gave, for the rest of the run: its rows are
// the data, and the arguments are the format file (or none) and the mode.
void SetDataQuery(const std::string& url, const std::string& query);
// True when the arguments name a report: a data file and a format file, or
// a CSV file alone; with a query, at most a format file and a mode.
bool ArgumentsEnough(const CommandArguments& arguments);
// Loads the layout and opens the data for the command line's arguments:
// data file, format file and mode; or a CSV file alone, for which a layout
// is made unless one is saved under its name. A saved layout comes first
// unless the mode says NotDef. The message of a failure, empty when both
// are ready.
QString OpenReport(
    const CommandArguments& arguments, TMyPrintFormat& format, TMyPrintData& data, OpenedReport& opened);
// True when messages are answered without a person (QUILLET_NONINTERACTIVE=1).
bool Unattended();

// arguments: the command-line arguments without the program name.
void RunStartup(TFrmPrintReview& window, const CommandArguments& arguments);

} // namespace quillet

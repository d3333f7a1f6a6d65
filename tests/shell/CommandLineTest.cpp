// The options before the normal arguments: which are taken, which are left
// to the toolkit, which are unknown; and what --help and --version say.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>

#include "platform/ProgramFiles.h"
#include "shell/CommandLine.h"

namespace quillet {
namespace {

CommandArguments Words(const char* line)
{
    CommandArguments words;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string Joined(const CommandArguments& words)
{
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

// --jobs, else QUILLET_JOBS, gives the threads of a PDF export: 1 to 256
// in digits; anything else is refused with what was given.
TEST(CommandLineTest, JobsFromOptionOrEnvironment)
{
    struct Case {
        const char* line;
        const char* environment; // nullptr: unset
        int jobs;
        const char* bad;
        const char* left;
    };
    const Case cases[] = {
        { "--jobs 2 --pdf o.pdf a b", nullptr, 2, "", "a b" },
        { "--pdf o.pdf --jobs 256 a", nullptr, 256, "", "a" },
        { "a b", nullptr, 0, "", "a b" },
        { "a b", "3", 3, "", "a b" },
        { "--jobs 1 a", "7", 1, "", "a" }, // the option first
        { "--jobs 0 a", nullptr, 0, "--jobs 0", "a" },
        { "--jobs 257 a", nullptr, 0, "--jobs 257", "a" },
        { "--jobs -1 a", nullptr, 0, "--jobs -1", "a" },
        { "--jobs 2x a", nullptr, 0, "--jobs 2x", "a" },
        { "--jobs", nullptr, 0, "--jobs", "" },
        { "a", "", 0, "QUILLET_JOBS=", "a" },
        { "a", "four", 0, "QUILLET_JOBS=four", "a" },
        { "a", "0", 0, "QUILLET_JOBS=0", "a" },
    };
    for (const Case& c : cases) {
        if (c.environment)
            setenv("QUILLET_JOBS", c.environment, 1);
        else
            unsetenv("QUILLET_JOBS");
        CommandArguments arguments = Words(c.line);
        const StartOptions o = TakeStartOptions(arguments);
        EXPECT_EQ(o.jobs, c.jobs) << c.line;
        EXPECT_EQ(o.badJobs, c.bad) << c.line;
        EXPECT_EQ(Joined(arguments), c.left) << c.line;
    }
    unsetenv("QUILLET_JOBS");
    EXPECT_EQ(BadJobsText(QStringLiteral("--jobs 0")),
        QStringLiteral("quillet: 线程数“--jobs 0”不正确：--jobs 和 QUILLET_JOBS 要给出 1 到 256 之间的整数\n"
                       "用 quillet --help 查看用法。\n"));
}

// Each command line gives its options and leaves the data file, the format
// file and the mode for the start-up rules.
TEST(CommandLineTest, TakesLeadingOptionsOnly)
{
    struct Case {
        const char* line;
        const char* left;
        bool pdf, valid, help, version;
        const char* pdfPath;
        const char* unknown;
        std::optional<Language> language = std::nullopt;
    };
    const Case cases[] = {
        { "a.dat b.fmt Print", "a.dat b.fmt Print", false, true, false, false, "", "" },
        { "--pdf out.pdf a.dat b.fmt", "a.dat b.fmt", true, true, false, false, "out.pdf", "" },
        { "--pdf", "", false, false, false, false, "", "" },
        { "--help", "", false, true, true, false, "", "" },
        { "-h a.dat", "a.dat", false, true, true, false, "", "" },
        { "--version", "", false, true, false, true, "", "" },
        { "--bogus a.dat b.fmt", "--bogus a.dat b.fmt", false, true, false, false, "", "--bogus" },
        { "-x a.dat", "-x a.dat", false, true, false, false, "", "-x" },
        // "--" ends the options: a file may then start with a dash.
        { "-- -a.dat b.fmt", "-a.dat b.fmt", false, true, false, false, "", "" },
        // Options after the data file are arguments, as before.
        { "a.dat --help", "a.dat --help", false, true, false, false, "", "" },
        // A lone dash is an argument.
        { "- b.fmt", "- b.fmt", false, true, false, false, "", "" },
        // The toolkit's own options stay for it, with their values.
        { "-platform offscreen --version", "-platform offscreen", false, true, false, true, "", "" },
        { "--style=fusion -reverse --pdf o.pdf a b", "--style=fusion -reverse a b", true, true, false, false,
            "o.pdf", "" },
        // --lang zh|en, in any case, forces the language; any other is unknown.
        { "--lang en a.dat b.fmt", "a.dat b.fmt", false, true, false, false, "", "", Language::English },
        { "--lang ZH --help", "", false, true, true, false, "", "", Language::Chinese },
        { "--lang xx a.dat", "xx a.dat", false, true, false, false, "", "--lang xx" },
        { "--lang en_US a.dat", "en_US a.dat", false, true, false, false, "", "--lang en_US" },
        { "--lang", "", false, true, false, false, "", "--lang" },
    };
    for (const Case& c : cases) {
        CommandArguments arguments = Words(c.line);
        const StartOptions o = TakeStartOptions(arguments);
        EXPECT_EQ(Joined(arguments), c.left) << c.line;
        EXPECT_EQ(o.pdf, c.pdf) << c.line;
        EXPECT_EQ(o.valid, c.valid) << c.line;
        EXPECT_EQ(o.help, c.help) << c.line;
        EXPECT_EQ(o.version, c.version) << c.line;
        EXPECT_EQ(o.pdfPath, c.pdfPath) << c.line;
        EXPECT_EQ(o.unknown, c.unknown) << c.line;
        EXPECT_EQ(o.language, c.language) << c.line;
    }
    // --convert takes two files; one output option a run.
    CommandArguments convert = Words("--convert a.fmt b.json");
    const StartOptions o = TakeStartOptions(convert);
    EXPECT_TRUE(o.convert && o.valid);
    EXPECT_EQ(o.convertIn + " " + o.convertOut, "a.fmt b.json");
    CommandArguments half = Words("--convert a.fmt");
    EXPECT_FALSE(TakeStartOptions(half).valid);
    CommandArguments twice = Words("--pdf o.pdf --convert a.fmt b.json");
    EXPECT_EQ(TakeStartOptions(twice).repeated, "--convert");
    CommandArguments csv = Words("--csv o.csv a.dat b.fmt");
    const StartOptions c = TakeStartOptions(csv);
    EXPECT_TRUE(c.csv && c.valid);
    EXPECT_EQ(c.csvPath + " | " + Joined(csv), "o.csv | a.dat b.fmt");
    CommandArguments csvTwice = Words("--xlsx o.xlsx --csv o.csv a.dat");
    EXPECT_EQ(TakeStartOptions(csvTwice).repeated, "--csv");
    // --encoding names one of two encodings of a CSV data file.
    const std::pair<const char*, CsvEncoding> encodings[]
        = { { "a.csv b.json", CsvEncoding::Detect }, { "--encoding GBK a.csv b.json", CsvEncoding::Gbk },
              { "--encoding utf-8 a.csv b.json", CsvEncoding::Utf8 } };
    for (const auto& [line, encoding] : encodings) {
        CommandArguments words = Words(line);
        const StartOptions e = TakeStartOptions(words);
        EXPECT_EQ(e.encoding, encoding) << line;
        EXPECT_EQ(Joined(words), "a.csv b.json") << line;
    }
    CommandArguments latin = Words("--encoding latin1 a.csv b.json");
    EXPECT_EQ(TakeStartOptions(latin).unknown, "--encoding latin1");
}

// --db and --query come together, once each; the words after them are the
// format file and the mode.
TEST(CommandLineTest, QueryTakesDatabaseAndTextTogether)
{
    struct Case {
        CommandArguments words;
        const char* left;
        bool fromQuery;
        const char* db;
        const char* query;
        const char* half;
    };
    const Case cases[] = {
        { { "--db", "sqlite:a.db", "--query", "SELECT * FROM t", "b.json", "Print" }, "b.json Print", true,
            "sqlite:a.db", "SELECT * FROM t", "" },
        { { "--pdf", "o.pdf", "--query", "-- a comment", "--db", "postgresql://u@h/d" }, "", true,
            "postgresql://u@h/d", "-- a comment", "" },
        { { "--db", "sqlite:a.db", "b.fmt" }, "b.fmt", false, "sqlite:a.db", "", "--db" },
        { { "--query", "SELECT 1" }, "", false, "", "SELECT 1", "--query" },
        { { "--db", "sqlite:a.db", "--query" }, "", false, "sqlite:a.db", "", "--query" },
        { { "--db", "sqlite:a.db", "--db", "sqlite:b.db", "--query", "SELECT 1" },
            "sqlite:b.db --query SELECT 1", false, "sqlite:a.db", "", "--db" },
    };
    for (const Case& c : cases) {
        CommandArguments arguments = c.words;
        const std::string line = Joined(c.words);
        const StartOptions o = TakeStartOptions(arguments);
        EXPECT_EQ(Joined(arguments), c.left) << line;
        EXPECT_EQ(o.fromQuery, c.fromQuery) << line;
        EXPECT_EQ(o.db, c.db) << line;
        EXPECT_EQ(o.query, c.query) << line;
        EXPECT_EQ(o.halfQuery, c.half) << line;
        EXPECT_EQ(AnswerWithoutWindow(o), c.half[0] ? 2 : -1) << line;
    }
}

// The usage names every mode word, option and environment variable, and the
// folders saved layouts go to for this user in either case.
TEST(CommandLineTest, UsageNamesModesOptionsVariablesAndFolders)
{
    LayoutFolders readOnly { "/usr/bin/Format", "/home/zhang/.local/share/quillet/Format", false };
    const QString text = UsageText(readOnly, QStringLiteral("/usr/share/doc/quillet/Quillet.html"));
    for (const char* word :
        { "数据文件", "格式文件", "运行方式", "Print", "OnlyView", "NotDef", "NotDefPrint", "NotDefOnlyView",
            "--pdf", "--db", "--query", "sqlite:", "postgresql://", "--help", "--version",
            "QUILLET_NONINTERACTIVE", "QUILLET_PDF_DIR", "XDG_DATA_HOME", "QT_QPA_PLATFORM",
            "~/.local/share/quillet", ".PFD", "保存到 /home/zhang/.local/share/quillet/Format",
            "/home/zhang/.local/share/quillet/Format、/usr/bin/Format", "/usr/share/doc/quillet/Quillet.html",
            "support@quillet.org" })
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word;

    LayoutFolders writable { "/opt/q/Format", "/home/zhang/.local/share/quillet/Format", true };
    const QString beside = UsageText(writable, QStringLiteral("/opt/q/Quillet.html"));
    EXPECT_TRUE(beside.contains(QStringLiteral("程序文件夹可以写入，保存到 /opt/q/Format\n")));
    EXPECT_FALSE(beside.contains(QStringLiteral("启动时依次查找")));
}

TEST(CommandLineTest, VersionAndUnknownOption)
{
    EXPECT_TRUE(VersionText().startsWith(QStringLiteral("Quillet 1.5.0.601\n")));
    EXPECT_TRUE(UnknownOptionText(QStringLiteral("--pfd")).contains(QStringLiteral("“--pfd”")));
}

} // namespace
} // namespace quillet

// A random user of the whole window: on the example report and on damaged
// reports it clicks, drags borders, switches states, zooms, turns pages, opens
// every dialog, types into its fields and confirms or cancels it, saves and
// deletes the layout, exports and prints (pressing on the progress box as on
// any dialog), for a fixed time from a fixed seed. It prints through the real
// "PDF" folder printer into a temporary folder.
//
// QUILLET_RANDOM_USER_SECONDS sets the time (4 s in all by default),
// QUILLET_RANDOM_USER_SEED the seed, QUILLET_RANDOM_USER_ACTIONS a limit of
// actions per report. A failure, a crash under the sanitizers included,
// prints the seed and the actions that lead to it.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "platform/qt/QtPrinterHost.h"
#include "tests/preview/WindowFixture.h"

extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace quillet::testing {
namespace {

long EnvNumber(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return fallback;
    char* end = nullptr;
    long n = std::strtol(value, &end, 10);
    return end && *end == '\0' && n >= 0 ? n : fallback;
}

// What the random user did, printed with its seed when something fails.
struct ActionLog {
    unsigned seed = 0;
    std::string report;
    std::vector<std::string> steps;
    void Add(std::string step) { steps.push_back(std::move(step)); }
    void Print() const
    {
        std::fprintf(stderr, "random user: QUILLET_RANDOM_USER_SEED=%u, report %s, %zu actions:\n", seed,
            report.c_str(), steps.size());
        for (std::size_t i = 0; i < steps.size(); ++i)
            std::fprintf(stderr, "  %zu %s\n", i + 1, steps[i].c_str());
    }
};
ActionLog* g_log = nullptr;

class RandomUserTest : public WindowFixture {
protected:
    void SetUp() override
    {
        seed_ = static_cast<unsigned>(EnvNumber("QUILLET_RANDOM_USER_SEED", 20261208));
        log_.seed = seed_;
        g_log = &log_;
        if (__sanitizer_set_death_callback)
            __sanitizer_set_death_callback([] {
                if (g_log)
                    g_log->Print();
            });
        // A failed assertion of Qt's or of the program's own ends in abort().
        std::signal(SIGABRT, [](int) {
            if (g_log)
                g_log->Print();
            std::signal(SIGABRT, SIG_DFL);
        });
        ASSERT_TRUE(pdfFolder_.isValid());
        printers_ = std::make_unique<QtPrinterHost>(pdfFolder_.path());
        ASSERT_TRUE(printers_->CurrentIsPdf());
    }
    void TearDown() override
    {
        running_ = false;
        WindowFixture::TearDown();
        if (HasFailure())
            log_.Print();
        g_log = nullptr;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    QString RandomText()
    {
        switch (Pick(8)) {
        case 0:
            return QString::number(Pick(1000));
        case 1:
            return QString::number(-Pick(100000));
        case 2:
            return QStringLiteral("abcXYZ");
        case 3:
            return QString(300 + Pick(300), QLatin1Char('9'));
        case 4:
            return QStringLiteral("报表打印预览测试中文字段");
        case 5:
            return QString(120, QChar(0x6C49)); // 汉 × 120
        case 6:
            return QStringLiteral("0.5");
        default:
            return QString();
        }
    }

    // Latin text key by key; other text as an input method commits it.
    static void TypeText(QWidget& target, const QString& text)
    {
        bool latin = true;
        for (QChar c : text)
            latin = latin && c.unicode() < 0x7F;
        if (latin) {
            QTest::keyClicks(&target, text);
            return;
        }
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(&target, &commit);
    }

    template <class W> QList<W*> Usable(QWidget* parent)
    {
        QList<W*> out;
        for (W* w : parent->findChildren<W*>())
            if (w->isVisible() && w->isEnabled())
                out.push_back(w);
        return out;
    }

    // One step on the open dialog: type into a field, pick from a list, press
    // a button, confirm or cancel. After a dozen steps it is cancelled.
    void DriveDialog(QDialog& dialog)
    {
        int& steps = dialogSteps_[&dialog];
        const std::string name = dialog.metaObject()->className();
        if (++steps > 12) {
            log_.Add(name + ": cancel for good");
            dialog.reject();
            return;
        }
        switch (Pick(6)) {
        case 0:
        case 1: {
            QList<QLineEdit*> edits = Usable<QLineEdit>(&dialog);
            if (edits.isEmpty())
                break;
            QLineEdit* edit = edits[Pick(static_cast<int>(edits.size()))];
            const QString text = RandomText();
            log_.Add(name + ": type \"" + text.left(20).toStdString() + "\" (" + std::to_string(text.size())
                + ") into " + edit->objectName().toStdString());
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            TypeText(*edit, text);
            break;
        }
        case 2: {
            QList<QComboBox*> boxes = Usable<QComboBox>(&dialog);
            if (boxes.isEmpty() || boxes.front()->count() == 0)
                break;
            QComboBox* box = boxes[Pick(static_cast<int>(boxes.size()))];
            if (box->count() == 0)
                break;
            const int index = Pick(box->count());
            log_.Add(name + ": choose " + std::to_string(index) + " in " + box->objectName().toStdString());
            box->setCurrentIndex(index);
            break;
        }
        case 3: {
            QList<QAbstractButton*> buttons = Usable<QAbstractButton>(&dialog);
            if (buttons.isEmpty())
                break;
            QAbstractButton* button = buttons[Pick(static_cast<int>(buttons.size()))];
            log_.Add(name + ": click " + button->objectName().toStdString() + " \""
                + button->text().toStdString() + "\"");
            button->click();
            break;
        }
        case 4:
            log_.Add(name + ": Enter");
            QTest::keyClick(&dialog, Qt::Key_Return);
            break;
        default:
            log_.Add(name + ": Escape");
            QTest::keyClick(&dialog, Qt::Key_Escape);
            break;
        }
    }

    // Looks for an open dialog every few milliseconds, also from inside the
    // event loops of dialogs. Each look is a timer of its own, so a dialog
    // opened by a step is looked at too.
    void Watch()
    {
        if (!running_)
            return;
        QTimer::singleShot(2, &watcher_, [this] { Watch(); });
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            DriveDialog(*dialog);
    }

    void MouseStep(TFrmPrintReview& w)
    {
        const int width = std::max(1, w.Image_Review->width()),
                  height = std::max(1, w.Image_Review->height());
        int x = Pick(width), y = Pick(height);
        // In design state most drags start on a border, where they move it.
        if (!w.BuffPaper->ReviewState && Chance(70)) {
            const int cols = w.PrintFormat->Cols(), rows = w.PrintFormat->Rows();
            if (Chance(50) && cols > 0)
                x = ColumnBorder(1 + Pick(cols)), y = RowMiddle(std::max(1, std::min(rows, 1 + Pick(3))));
            else if (rows > 0)
                y = RowBorder(1 + Pick(rows)), x = ColumnBorder(std::max(0, std::min(cols, Pick(3)))) + 3;
        }
        const int dx = Pick(201) - 100, dy = Pick(201) - 100;
        const Qt::MouseButton button = Chance(80) ? Qt::LeftButton : Qt::RightButton;
        log_.Add("drag " + std::to_string(x) + "," + std::to_string(y) + " by " + std::to_string(dx) + ","
            + std::to_string(dy) + (button == Qt::LeftButton ? "" : " right"));
        Move(x, y);
        Send(QEvent::MouseButtonPress, button, button, x, y);
        Move(x + dx / 2, y + dy / 2, button);
        Move(x + dx, y + dy, button);
        Send(QEvent::MouseButtonRelease, button, Qt::NoButton, x + dx, y + dy);
        if (Chance(20)) {
            log_.Add("double click " + std::to_string(x) + "," + std::to_string(y));
            Send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, x, y);
            Release(x, y);
        }
    }

    void KeyStep(TFrmPrintReview& w)
    {
        static const Qt::Key keys[]
            = { Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right,
                  Qt::Key_Up, Qt::Key_Down, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space, Qt::Key_F1 };
        const Qt::Key key = keys[Pick(static_cast<int>(std::size(keys)))];
        const Qt::KeyboardModifiers modifiers = Chance(20) ? Qt::ControlModifier : Qt::NoModifier;
        log_.Add("key " + std::to_string(key) + (modifiers ? " with Ctrl" : ""));
        QTest::keyClick(&w, key, modifiers);
    }

    // Commands that end the run or leave the program are not the user's to
    // pick here; printing is, to the PDF folder printer.
    void CommandStep(TFrmPrintReview& w)
    {
        QList<QAction*> actions;
        for (QAction* a : w.Actions)
            if (a != w.ActionClose && a->isEnabled())
                actions.push_back(a);
        if (actions.isEmpty())
            return;
        QAction* action = actions[Pick(static_cast<int>(actions.size()))];
        log_.Add("command " + action->objectName().toStdString());
        dialogSteps_.clear();
        action->trigger();
    }

    void Step(TFrmPrintReview& w)
    {
        const int roll = Pick(100);
        if (roll < 45)
            CommandStep(w);
        else if (roll < 80)
            MouseStep(w);
        else
            KeyStep(w);
        QApplication::processEvents();
        ASSERT_GE(w.BuffPaper->PageCount, 1);
        ASSERT_GE(w.BuffPaper->CurrentPage, 1);
        ASSERT_LE(w.BuffPaper->CurrentPage, w.BuffPaper->PageCount);
        ASSERT_LE(w.PrintFormat->Cols(), kMaxCols);
        ASSERT_LE(w.PrintFormat->Rows(), kMaxRows);
        if (messages_.shown.size() > 100)
            messages_.shown.clear();
        // Printed pages are valid files with nothing left beside them; the
        // folder is emptied now and then.
        const QStringList files = QDir(pdfFolder_.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& f : files)
            ASSERT_TRUE(f.endsWith(QStringLiteral(".pdf"))) << f.toStdString();
        if (files.size() > 100) {
            printedPages_ += static_cast<std::size_t>(files.size());
            for (const QString& f : files) {
                QFile file(pdfFolder_.filePath(f));
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                ASSERT_TRUE(file.read(5) == "%PDF-") << f.toStdString();
                file.close();
                file.remove();
            }
        }
    }

    // Runs the random user on one report for its share of the time.
    void Run(const std::string& report, const QStringList& arguments, qint64 milliseconds)
    {
        log_.report = report;
        log_.steps.clear();
        rng_.seed(seed_ ^ static_cast<unsigned>(std::hash<std::string> {}(report)));
        TFrmPrintReview& w = Open(arguments, printers_.get());
        if (w.EndRequested())
            return; // start-up refused the report with its message
        // The printer's paper: A4, letter, or a size of its own from nothing
        // to 65535 x 65535 mm.
        w.Hook.printerSetup = [this] {
            static const int sides[] = { 0, 10, 2100, 655350 };
            PrinterSettings s;
            printers_->GetSettings(s);
            s.fields |= DM_PAPERSIZE | DM_ORIENTATION;
            s.paperSize = Chance(50) ? DMPAPER_A4 : (Chance(30) ? 1 : DMPAPER_USER);
            s.paperWidth = sides[Pick(4)];
            s.paperLength = sides[Pick(4)];
            s.orientation = Chance(50) ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
            const bool confirmed = Chance(70);
            log_.Add("printer setup: paper " + std::to_string(s.paperSize) + " "
                + std::to_string(s.paperWidth) + " x " + std::to_string(s.paperLength)
                + (confirmed ? " confirmed" : " cancelled"));
            if (confirmed)
                printers_->SetSettings(s);
            return confirmed;
        };
        const QString picture = saved_.filePath(QStringLiteral("page.png"));
        w.Hook.pictureFile = [this, picture](const QString&, QString& filter) {
            filter = QStringLiteral("PNG (*.png)");
            const bool chosen = Chance(60);
            log_.Add(chosen ? "picture file chosen" : "picture file cancelled");
            return chosen ? picture : QString();
        };
        const QString pdf = saved_.filePath(QStringLiteral("report.pdf"));
        w.Hook.pdfFile = [this, pdf](const QString&) {
            const bool chosen = Chance(60);
            log_.Add(chosen ? "PDF file chosen" : "PDF file cancelled");
            return chosen ? pdf : QString();
        };
        running_ = true;
        Watch();
        const long limit = EnvNumber("QUILLET_RANDOM_USER_ACTIONS", 0);
        QElapsedTimer clock;
        clock.start();
        while (
            clock.elapsed() < milliseconds && (limit == 0 || static_cast<long>(log_.steps.size()) < limit)) {
            Step(w);
            if (HasFatalFailure())
                return;
        }
        running_ = false;
    }

    unsigned seed_ = 0;
    std::mt19937 rng_;
    ActionLog log_;
    bool running_ = false;
    QObject watcher_;
    std::map<QDialog*, int> dialogSteps_;
    QTemporaryDir pdfFolder_;
    std::size_t printedPages_ = 0;
    std::unique_ptr<QtPrinterHost> printers_;
};

// Damaged copies of the example: a format file cut short, one with bytes
// overwritten from the seed, one with a paper of 0 x 0 mm and one of
// 65535 x 65535 mm, and a data file cut inside a row.
std::vector<std::pair<std::string, QStringList>> DamagedReports(
    const QString& folder, const QString& data, const QString& format, unsigned seed)
{
    auto read = [](const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto write = [&folder](const QString& name, const std::string& bytes) {
        const QString path = folder + QLatin1Char('/') + name;
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    };
    const std::string fmt = read(format), dat = read(data);
    std::mt19937 rng(seed);
    std::string scrambled = fmt;
    for (int i = 0; i < 200; ++i)
        scrambled[98 + rng() % (scrambled.size() - 98)] = static_cast<char>(rng());
    TMyPrintFormat zeroPaper, hugePaper;
    zeroPaper.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(fmt.data()), fmt.size());
    hugePaper = zeroPaper;
    std::vector<std::uint8_t> image;
    TMyPaperSpec zero { 256, 0, 0, 1 }, huge { 256, 65535, 65535, 1 };
    zeroPaper.SaveToBytes(zero, image);
    const std::string zeroBytes(image.begin(), image.end());
    hugePaper.SaveToBytes(huge, image);
    const std::string hugeBytes(image.begin(), image.end());
    const QString notDef = QStringLiteral("NotDef");
    return {
        { "format cut short", { data, write(QStringLiteral("cut.fmt"), fmt.substr(0, 5000)), notDef } },
        { "format scrambled", { data, write(QStringLiteral("scrambled.fmt"), scrambled), notDef } },
        { "paper 0 x 0 mm", { data, write(QStringLiteral("zero.fmt"), zeroBytes), notDef } },
        { "paper 65535 x 65535 mm", { data, write(QStringLiteral("huge.fmt"), hugeBytes), notDef } },
        { "data cut in a row",
            { write(QStringLiteral("cut.dat"), dat.substr(0, kDataHeadSize + 7 * 3 * kCellSize + 90)), format,
                notDef } },
    };
}

TEST_F(RandomUserTest, SurvivesTheExampleAndDamagedReports)
{
    QTemporaryDir damaged;
    auto reports = DamagedReports(damaged.path(), DataPath(), FormatPath(), seed_);
    reports.insert(reports.begin(), { "example", { DataPath(), FormatPath(), QStringLiteral("NotDef") } });
    // The example gets half of the time, the damaged reports share the rest.
    const qint64 total = EnvNumber("QUILLET_RANDOM_USER_SECONDS", 4) * 1000;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const qint64 share = i == 0 ? total / 2 : total / 2 / static_cast<qint64>(reports.size() - 1);
        Run(reports[i].first, reports[i].second, share);
        if (HasFatalFailure())
            return;
        if (EnvNumber("QUILLET_RANDOM_USER_LOG", 0) != 0)
            log_.Print();
        else
            std::fprintf(stderr, "random user: %s, %zu actions, %zu pages printed to PDF so far\n",
                reports[i].first.c_str(), log_.steps.size(),
                printedPages_
                    + static_cast<std::size_t>(QDir(pdfFolder_.path()).entryList(QDir::Files).size()));
    }
}

} // namespace
} // namespace quillet::testing

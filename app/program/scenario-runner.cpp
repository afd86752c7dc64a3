// Runs the invoicing program with no display, replaying a session script, and prints
// the transcript of what the user saw (docs/scenarios.md):
//
//     scenario-runner [--data FOLDER] [--expect TRANSCRIPT] SCRIPT
//
// The program keeps its settings file and data in FOLDER (made when missing, kept
// afterwards), or in a fresh temporary folder that is removed at the end. With
// --expect, the transcript must equal the file's text; otherwise it is printed as the
// run goes. Exit code: 0 when every step went as the script says (and the transcript is
// the expected one), 1 when a step failed or the transcript differs, 2 when the script
// or the transcript cannot be read or the arguments are wrong.
//
// Built with the Qt display, the runner draws `screenshot FILE` pictures with it
// (offscreen unless QT_QPA_PLATFORM says otherwise); FILE is relative to the current
// folder.
#include "app/Program.h"
#include "app/ProgramFolder.h"
#include "app/scenarios/ScenarioCommands.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/ScriptArguments.h"
#include "runtime/headless/SessionContext.h"
#include "runtime/headless/SessionRunner.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "tools/SampleData.h"

#ifdef EIP_SCENARIO_SCREENSHOTS
#include "runtime/qt/PagePainter.h"
#include "runtime/qt/ScreenShot.h"
#include "runtime/report/PrintService.h"
#include "runtime/ui/Desktop.h"

#include <QApplication>

#include <QString>

// fontconfig keeps a little memory until the process ends, which the leak checker of the
// sanitizer builds would report against every scenario that takes a picture.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string script;
    std::string data;
    std::string expected;
};

std::optional<Options> parseArguments(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc)
            options.data = argv[++i];
        else if (arg == "--expect" && i + 1 < argc)
            options.expected = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && options.script.empty())
            options.script = arg;
        else
            return std::nullopt;
    }
    if (options.script.empty())
        return std::nullopt;
    return options;
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Tells where the transcript leaves the expected one; false when they differ.
bool compare(const std::string& transcript, const std::string& expected) {
    std::vector<std::string> got = linesOf(transcript);
    std::vector<std::string> want = linesOf(expected);
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
        if (i < got.size() && i < want.size() && got[i] == want[i])
            continue;
        std::cout << "transcript differs at line " << i + 1 << ":\n"
                  << "  expected: " << (i < want.size() ? want[i] : "(end)") << "\n"
                  << "  got:      " << (i < got.size() ? got[i] : "(end)") << "\n";
        return false;
    }
    return true;
}

// A fresh folder for one run, removed at the end.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "eip-scenario-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// How `screenshot` draws the screen: through the Qt display when the runner has it.
app::ScenarioCommands::ScreenPicture screenPicture() {
#ifdef EIP_SCENARIO_SCREENSHOTS
    // The run has no screen of its own: Qt draws offscreen unless told otherwise.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return [](host::Desktop& desktop, const std::string& file, std::string& whyNot) {
        if (desktop.windows().empty()) {
            whyNot = "no window is open";
            return false;
        }
        if (!host::qt::ScreenShot::save(desktop, QString::fromStdString(file))) {
            whyNot = "cannot write the file";
            return false;
        }
        return true;
    };
#else
    return {};
#endif
}

// How `print to pdf` writes PDF files: through Qt's PDF writer, with the application Qt
// needs for its fonts made here, on the runner's own thread.
app::ScenarioCommands::PdfPrinting pdfPrinting() {
#ifdef EIP_SCENARIO_SCREENSHOTS
    return [](std::string&) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "scenario-runner";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv); // kept for the rest of the process
        }
        static host::qt::QtPageOutput output;
        host::PrintService::install(&output);
        return true;
    };
#else
    return {};
#endif
}

// `fill sample data ITEMS CUSTOMERS INVOICES LINES`, before `start program`: the data
// folder gets that many sample records, as make-sample-data writes them.
void addSampleData(host::headless::SessionRunner& runner, const app::ProgramFolder& folder) {
    using host::headless::ParsedCommand;
    using host::headless::StepAction;
    using host::headless::StepResult;
    runner.commands().add(
        "fill sample data", host::headless::CommandKind::Action,
        [folder](host::headless::ScriptArguments& arguments) -> ParsedCommand {
            sample::Counts counts;
            for (std::int64_t* count :
                 {&counts.items, &counts.customers, &counts.invoices, &counts.linesPerInvoice}) {
                std::optional<int> number = arguments.takeNumber();
                if (!number || *number < 0)
                    return ParsedCommand::invalid("give ITEMS CUSTOMERS INVOICES LINES");
                *count = *number;
            }
            if (!arguments.atEnd())
                return ParsedCommand::invalid("give ITEMS CUSTOMERS INVOICES LINES");
            return StepAction([folder, counts](host::headless::SessionContext&) {
                std::string why;
                if (!sample::fill(folder.dataFolder(), counts, {}, why))
                    return StepResult::failed("no sample data: " + why);
                return StepResult::passed();
            });
        },
        "fill sample data ITEMS CUSTOMERS INVOICES LINES");
}

} // namespace

// The program's folder as transcripts name it, so that a transcript does not depend on
// where the run kept its files.
constexpr const char* folderName = "<program folder>";

std::string withFolderNamed(std::string text, const std::string& folder) {
    for (size_t at = text.find(folder); at != std::string::npos;
         at = text.find(folder, at + std::char_traits<char>::length(folderName)))
        text.replace(at, folder.size(), folderName);
    return text;
}

// Passes the echoed transcript on line by line, with the program's folder named.
class FolderNamingBuffer : public std::streambuf {
public:
    FolderNamingBuffer(std::ostream& out, std::string folder)
        : out_(out), folder_(std::move(folder)) {}
    ~FolderNamingBuffer() override { flushLine(); }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        line_ += static_cast<char>(c);
        if (c == '\n')
            flushLine();
        return c;
    }
    int sync() override {
        flushLine();
        out_.flush();
        return 0;
    }

private:
    void flushLine() {
        out_ << withFolderNamed(std::move(line_), folder_);
        line_.clear();
    }

    std::ostream& out_;
    std::string folder_;
    std::string line_;
};

int main(int argc, char** argv) {
    app::Program::useDriver([] { return std::make_unique<host::sqlite::SqliteDriver>(); });
    std::optional<Options> options = parseArguments(argc, argv);
    if (!options) {
        std::cerr << "usage: scenario-runner [--data FOLDER] [--expect TRANSCRIPT] SCRIPT\n";
        return 2;
    }
    std::optional<std::string> script = readFile(options->script);
    if (!script) {
        std::cerr << "scenario-runner: cannot read " << options->script << "\n";
        return 2;
    }
    std::optional<std::string> expected;
    if (!options->expected.empty() && !(expected = readFile(options->expected))) {
        std::cerr << "scenario-runner: cannot read " << options->expected << "\n";
        return 2;
    }

    TemporaryFolder temporary;
    std::string folder = options->data.empty() ? temporary.path() : options->data;
    if (folder.empty()) {
        std::cerr << "scenario-runner: cannot make a temporary folder\n";
        return 2;
    }

    host::headless::SessionResult result;
    {
        FolderNamingBuffer echoBuffer(std::cout, folder);
        std::ostream echo(&echoBuffer);
        host::headless::HeadlessSession session;
        host::headless::SessionRunner runner(session);
        app::ProgramFolder programFolder = app::ProgramFolder::at(folder);
        app::ScenarioCommands::AddTo(
            runner, programFolder, screenPicture(), pdfPrinting(),
            std::filesystem::absolute(options->script).parent_path().string());
        addSampleData(runner, programFolder);
        if (!expected)
            runner.setEcho(&echo);
        result = runner.run(*script);
        result.transcript = withFolderNamed(std::move(result.transcript), folder);
    }
    if (expected) {
        if (!compare(result.transcript, *expected)) {
            std::cout << "--- transcript\n" << result.transcript;
            return 1;
        }
        if (!result.passed)
            std::cout << result.transcript;
    }
    if (!result.passed) {
        std::cerr << "scenario-runner: " << options->script << ": " << result.failure << "\n";
        return 1;
    }
    return 0;
}

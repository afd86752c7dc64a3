#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

// How printing or writing a PDF went: ok, or the message that tells the user why not.
struct PrintResult {
    bool ok = true;
    std::string message;
    int pagesPrinted = 0;
};

// What draws page files on paper or into a PDF. The display backend installs one (the
// Qt display prints through the system's printers); tests install their own.
class PageOutput {
public:
    virtual ~PageOutput() = default;
    // Prints the pages on the user's printer; `askPrinter` shows the printer dialog first
    // (a user who cancels it gets a result that is not ok, with an empty message).
    virtual PrintResult print(const std::vector<std::string>& pages, std::string_view jobName,
                              bool askPrinter) = 0;
    // Writes the pages into a PDF file, text kept as text.
    virtual PrintResult savePdf(const std::vector<std::string>& pages, const std::string& path) = 0;
};

// The program's printing: the reports print through it, which hands the pages to the
// installed output. A PDF destination, when set, takes the place of the printer (a
// scenario prints a report into a file this way, to check it without a printer).
class PrintService {
public:
    static void install(PageOutput* output);
    static PageOutput* installed();

    static void setPdfDestination(std::string path);
    static const std::string& pdfDestination();
    // Whether the printer dialog is shown before printing (the desktop: yes).
    static void setAskPrinter(bool ask);

    static PrintResult print(const std::vector<std::string>& pages, std::string_view jobName);
    static PrintResult savePdf(const std::vector<std::string>& pages, const std::string& path);
};

} // namespace host
